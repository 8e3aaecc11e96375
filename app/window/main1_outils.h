// Small conversions shared by the main window's files.
#pragma once
#include <QFile>
#include <QString>

#include <string>
#include <string_view>

// Core texts are UTF-8.
inline QString Texte(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
// A path as the core's file functions take it.
inline std::string Chemin_local(const QString& chemin) { return QFile::encodeName(chemin).toStdString(); }
// The Open command's filters, as the window starts with them.
QStringList Filtres_ouverture();
