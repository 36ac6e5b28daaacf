// SPDX-License-Identifier: MIT
// What must be readable at every scale factor: CTest runs this at QT_SCALE_FACTOR 1 and 2.
#include "fake_prompts.h"
#include "signal/frame.h"
#include "support/alsa_test_config.h"
#include "ui/corvane_app.h"
#include "ui/corvane_dlg.h"
#include "ui/resource.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace corvane {

class DialogLayoutTest : public QObject {
    Q_OBJECT

private:
    template <class T>
    T* Item(int id) const
    {
        return static_cast<T*>(m_pDlg->GetDlgItem(id));
    }

    std::unique_ptr<test::TestAlsaConfig> m_pAlsa;
    test::FakePrompts m_prompts;
    std::unique_ptr<CCorvaneDlg> m_pDlg;

private slots:
    void initTestCase()
    {
        m_pAlsa = std::make_unique<test::TestAlsaConfig>(test::CORVANE_TEST_DEVICE);
        InstallJapaneseSupport(*qApp);
        m_pDlg = std::make_unique<CCorvaneDlg>(&m_prompts);
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
    }

    void cleanupTestCase() { m_pDlg.reset(); }

    void statusLineShowsEveryByteOfTheLongestFrames_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("20 digits") << "01234567890123456789";
        QTest::newRow("20 eights") << "88888888888888888888";  // 0xB8: the widest pieces
        QTest::newRow("16 ones, inserted DLE") << "1111111111111111";
        QTest::newRow("20 letters") << "MMMMMMMMMMMMMMMMMMMM";
    }

    void statusLineShowsEveryByteOfTheLongestFrames()
    {
        QFETCH(QString, number);
        QTRY_VERIFY_WITH_TIMEOUT(Item<QPushButton>(IDC_PLAY)->isEnabled(), 10000);
        Item<QLineEdit>(IDC_NUMBER)->setText(number);
        QTest::mouseClick(Item<QPushButton>(IDC_PLAY), Qt::LeftButton);
        auto* pStatus = Item<QLabel>(IDC_FRAME_TEXT);
        const std::string hex = HexFrameText(*BuildFrame({InformationKind::CallerNumber, number.toStdString()}));
        QCOMPARE(pStatus->text(), QString::fromStdString(hex));
        // The label's own layout of the text fits the template's rectangle: no line is cut.
        QVERIFY2(pStatus->heightForWidth(pStatus->width()) <= pStatus->height(),
                 qPrintable(QStringLiteral("needs %1 of %2 pixels")
                                .arg(pStatus->heightForWidth(pStatus->width()))
                                .arg(pStatus->height())));
        QVERIFY(pStatus->textInteractionFlags() & Qt::TextSelectableByMouse);
    }

    void numberFieldShowsTwentyDigitsAtOnce_data()
    {
        QTest::addColumn<QString>("number");
        for (const char digit : QByteArray("0123456789"))
            QTest::newRow(QByteArray(1, digit).constData()) << QString(20, QLatin1Char(digit));
    }

    void numberFieldShowsTwentyDigitsAtOnce()
    {
        QFETCH(QString, number);
        auto* pEdit = Item<QLineEdit>(IDC_NUMBER);
        pEdit->setText(number);
        // The field scrolls when it paints.
        const auto moveTo = [pEdit](int position) {
            pEdit->setCursorPosition(position);
            pEdit->grab();
        };
        moveTo(20);
        const QPoint left(0, pEdit->height() / 2);
        const QPoint right(pEdit->width() - 1, pEdit->height() / 2);
        // Had the field scrolled to reach the end, its left edge would no longer be at the start.
        QCOMPARE(pEdit->cursorPositionAt(left), 0);
        moveTo(0);
        QCOMPARE(pEdit->cursorPositionAt(right), 20);
    }
};

}  // namespace corvane

QTEST_MAIN(corvane::DialogLayoutTest)
#include "dialog_layout_test.moc"
