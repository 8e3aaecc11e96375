// The one-line input dialog that Saisie shows.
#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    QLabel* Label1;        // "- " and the prompt
    QLineEdit* Edit1;      // the proposed value, edited by the user
    QPushButton* OkBtn1;   // accepts
    QPushButton* BitBtn1;  // rejects
};
