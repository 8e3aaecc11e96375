#include "app/window/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm1::TForm1(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form1");
    setWindowTitle("Edit window");
    setFixedSize(371, 153);
    move(290, 211);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(40, 8, 320, 20);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(16, 32, 337, 21);
    OkBtn1 = new QPushButton("OK", this);
    OkBtn1->setObjectName("OkBtn1");
    OkBtn1->setGeometry(80, 64, 49, 25);
    OkBtn1->setDefault(true);
    BitBtn1 = new QPushButton("Cancel", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(224, 64, 73, 25);
    connect(OkBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}
