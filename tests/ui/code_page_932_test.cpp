#include "ui/code_page_932.h"

#include <QTest>

namespace corvane {

class CodePage932Test : public QObject {
    Q_OBJECT

private slots:
    void convertsAsTheFrameNeeds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("digits") << "0312345678" << 255 << QByteArray("0312345678");
        QTest::newRow("hiragana is two bytes") << "あい" << 255 << QByteArray("\x82\xA0\x82\xA2");
        QTest::newRow("full-width tilde, which Shift_JIS lacks") << "～" << 255 << QByteArray("\x81\x60");
        QTest::newRow("half-width katakana is one byte") << "ｱ" << 255 << QByteArray("\xB1");
        QTest::newRow("not in the code page") << "1ä2" << 255 << QByteArray("1?2");
        QTest::newRow("outside the basic plane") << "a😀b" << 255 << QByteArray("a?b");
        QTest::newRow("cut to the limit") << QString(300, '7') << 255 << QByteArray(255, '7');
        QTest::newRow("cut inside a double-byte character") << "1あ" << 2 << QByteArray("1\x82");
        QTest::newRow("empty") << "" << 255 << QByteArray();
    }

    void convertsAsTheFrameNeeds()
    {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(ToCodePage932(text, static_cast<std::size_t>(maxBytes))), expected);
    }
};

}  // namespace corvane

QTEST_GUILESS_MAIN(corvane::CodePage932Test)
#include "code_page_932_test.moc"
