// SPDX-License-Identifier: MIT
// The floor for the dialog's start-up: the least a Qt program does to show a dialog like
// Corvane's, with the same kinds and number of controls, texts and face, and nothing else.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Corvane"));
    dialog.setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    auto place = [&dialog](QWidget* pWidget, int x, int y, int width, int height) {
        pWidget->setParent(&dialog);
        pWidget->setGeometry(x, y, width, height);
    };
    place(new QGroupBox(QStringLiteral("通知情報")), 11, 11, 180, 148);
    place(new QRadioButton(QStringLiteral("発信電話番号(最大20桁)")), 24, 36, 150, 16);
    place(new QRadioButton(QStringLiteral("発信電話番号非通知理由")), 24, 94, 150, 16);
    place(new QLineEdit, 39, 62, 128, 23);
    auto* pReason = new QComboBox;
    pReason->addItems({QStringLiteral("[P]ユーザ拒否"), QStringLiteral("[O]サービス提供不可"),
                       QStringLiteral("[C]公衆電話発信"), QStringLiteral("[S]サービス競合")});
    place(pReason, 41, 120, 128, 24);
    place(new QPushButton(QStringLiteral("再生")), 200, 11, 75, 81);
    place(new QPushButton(QStringLiteral("Wave保存")), 200, 192, 75, 23);
    place(new QSlider(Qt::Horizontal), 194, 132, 89, 26);
    auto* pAmplitude = new QComboBox;
    pAmplitude->addItems({QStringLiteral("10%"), QStringLiteral("20%"), QStringLiteral("30%"), QStringLiteral("40%"),
                          QStringLiteral("50%"), QStringLiteral("60%"), QStringLiteral("70%"), QStringLiteral("80%"),
                          QStringLiteral("90%"), QStringLiteral("100%")});
    place(pAmplitude, 41, 221, 72, 24);
    place(new QGroupBox(QStringLiteral("出力波形の設定")), 11, 171, 180, 86);
    place(new QLabel(QStringLiteral("波形の振幅")), 24, 195, 69, 13);
    place(new QLabel(QStringLiteral("音量")), 203, 112, 23, 13);
    place(new QPushButton(QStringLiteral("終了")), 200, 234, 75, 23);
    place(new QLabel, 11, 271, 266, 33);
    dialog.setFixedSize(287, 317);
    dialog.show();
    return QApplication::exec();
}
