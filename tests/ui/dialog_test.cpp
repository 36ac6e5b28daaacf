// SPDX-License-Identifier: MIT
// The Qt dialog's own part: its controls from the template, its face, focus and keys, its icons,
// and that the operator's actions reach the controller (whose workflow its own suite tests).
#include "audio/playback.h"
#include "fake_prompts.h"
#include "signal/compose.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "storage/safe_save.h"
#include "support/alsa_test_config.h"
#include "ui/corvane_app.h"
#include "ui/corvane_dlg.h"
#include "ui/resource.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace corvane {

using test::FakePrompts;

class DialogTest : public QObject {
    Q_OBJECT

private:
    template <class T>
    T* Item(int id) const
    {
        return static_cast<T*>(m_pDlg->GetDlgItem(id));
    }
    QString StatusLine() const { return Item<QLabel>(IDC_FRAME_TEXT)->text(); }
    void ChooseReason(int index)
    {
        QTest::mouseClick(Item<QRadioButton>(IDC_RADIO_REASON), Qt::LeftButton);
        Item<QComboBox>(IDC_REASON)->setCurrentIndex(index);
    }
    void TypeNumber(const QString& text) { Item<QLineEdit>(IDC_NUMBER)->setText(text); }
    void Click(int id) { QTest::mouseClick(Item<QPushButton>(id), Qt::LeftButton); }
    static QString Hex(const NotificationRequest& request)
    {
        return QString::fromStdString(HexFrameText(*BuildFrame(request)));
    }

    std::unique_ptr<test::TestAlsaConfig> m_pAlsa;
    QTemporaryDir m_dir;
    FakePrompts m_prompts;
    std::unique_ptr<CCorvaneDlg> m_pDlg;

private slots:
    void initTestCase()
    {
        m_pAlsa = std::make_unique<test::TestAlsaConfig>(test::CORVANE_TEST_DEVICE);
        qputenv("AUDIO_CAPTURE_FILE", QFile::encodeName(m_dir.filePath("capture.raw")));
        InstallJapaneseSupport(*qApp);
    }

    void init()
    {
        m_prompts = FakePrompts();
        m_pDlg = std::make_unique<CCorvaneDlg>(&m_prompts);
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
        QTRY_VERIFY(m_pDlg->DeviceChecked());
    }

    void cleanup()
    {
        m_pDlg.reset();
        QVERIFY(m_prompts.failures.isEmpty());
    }

    void checksTheDeviceOnlyOnceTheWindowIsUpAndKeepsPlayDisabledTillThen()
    {
        m_pDlg.reset();
        m_pDlg = std::make_unique<CCorvaneDlg>(&m_prompts);
        auto* pPlay = Item<QPushButton>(IDC_PLAY);
        QTest::qWait(100);
        QVERIFY(!m_pDlg->DeviceChecked());  // not shown, not checked
        QVERIFY(!pPlay->isEnabled());
        QCOMPARE(pPlay->toolTip(), QStringLiteral("音声出力デバイスを確かめています。"));
        m_pDlg->show();
        QTRY_VERIFY(m_pDlg->DeviceChecked());
        QVERIFY(m_pDlg->DeviceStatus().IsOk());
        QVERIFY(pPlay->isEnabled());
        QCOMPARE(pPlay->toolTip(), QStringLiteral("再生 (Alt+P)"));
    }

    void startsWithTheNumberChosenAndEverythingAtItsInitialValue()
    {
        QVERIFY(m_pDlg->DeviceStatus().IsOk());
        QCOMPARE(m_pDlg->windowTitle(), QStringLiteral("Corvane"));
        QVERIFY(Item<QRadioButton>(IDC_RADIO_NUMBER)->isChecked());
        QVERIFY(!Item<QRadioButton>(IDC_RADIO_REASON)->isChecked());
        QCOMPARE(Item<QLineEdit>(IDC_NUMBER)->text(), QString());
        QVERIFY(Item<QLineEdit>(IDC_NUMBER)->isEnabled());
        QCOMPARE(m_pDlg->focusWidget(), Item<QWidget>(IDC_NUMBER));
        QCOMPARE(Item<QComboBox>(IDC_REASON)->currentText(), QStringLiteral("[P]ユーザ拒否"));
        QVERIFY(!Item<QComboBox>(IDC_REASON)->isEnabled());
        QCOMPARE(Item<QComboBox>(IDC_REASON)->count(), 4);
        QCOMPARE(Item<QComboBox>(IDC_AMPLITUDE)->currentText(), QStringLiteral("20%"));
        QCOMPARE(Item<QComboBox>(IDC_AMPLITUDE)->count(), 10);
        QCOMPARE(Item<QSlider>(IDC_VOLUME)->value(), 30);
        QCOMPARE(Item<QSlider>(IDC_VOLUME)->maximum(), 100);
        QVERIFY(!ApplyVolume(30));  // the dialog has set it already
        QCOMPARE(StatusLine(), QString());
        QVERIFY(Item<QPushButton>(IDC_PLAY)->isEnabled());
        QVERIFY(!Item<QPushButton>(IDC_PLAY)->icon().isNull());
        QCOMPARE(Item<QPushButton>(IDC_PLAY)->toolTip(), QStringLiteral("再生 (Alt+P)"));
        QCOMPARE(Item<QPushButton>(IDC_SAVE_WAVE)->text(), QStringLiteral("Wave保存"));
        QCOMPARE(Item<QPushButton>(IDC_EXIT)->text(), QStringLiteral("終了"));
    }

    void layoutFollowsTheTemplateInTheJapaneseFace()
    {
        QCOMPARE(QFontInfo(m_pDlg->font()).family(), QStringLiteral("IPAPGothic"));
        const DialogUnits units(m_pDlg->font());
        QCOMPARE(m_pDlg->size(), units.ToPixels(QSize(191, 195)));
        QCOMPARE(Item<QWidget>(IDC_PLAY)->geometry(), units.ToPixels(QRect(133, 7, 50, 50)));
        QCOMPARE(Item<QWidget>(IDC_FRAME_TEXT)->geometry(), units.ToPixels(QRect(7, 167, 177, 20)));
    }

    void tabGoesRoundExactlyTheTemplatesTabStops_data()
    {
        QTest::addColumn<bool>("reasonChosen");
        QTest::addColumn<bool>("backwards");
        QTest::newRow("number, Tab") << false << false;
        QTest::newRow("number, Shift+Tab") << false << true;
        QTest::newRow("reason, Tab") << true << false;
        QTest::newRow("reason, Shift+Tab") << true << true;
    }

    void tabGoesRoundExactlyTheTemplatesTabStops()
    {
        QFETCH(bool, reasonChosen);
        QFETCH(bool, backwards);
        if (reasonChosen)
            ChooseReason(0);
        // The disabled one of the number field and the reason list is passed over.
        QWidget* pInput = Item<QWidget>(reasonChosen ? IDC_REASON : IDC_NUMBER);
        QList<QWidget*> expected = {Item<QWidget>(IDC_PLAY),   Item<QWidget>(IDC_SAVE_WAVE),
                                    Item<QWidget>(IDC_VOLUME), Item<QWidget>(IDC_AMPLITUDE),
                                    Item<QWidget>(IDC_EXIT),   pInput};
        if (backwards) {
            std::reverse(expected.begin(), expected.end() - 1);
            expected.prepend(expected.takeLast());
            expected.append(pInput);
            expected.removeFirst();
        }
        pInput->setFocus();
        QList<QWidget*> chain;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
            chain << QApplication::focusWidget();
        }
        QCOMPARE(chain, expected);
        QCOMPARE(Item<QRadioButton>(IDC_RADIO_REASON)->isChecked(), reasonChosen);
    }

    void keyboardPlayLeavesNoOtherCommandUnderTheNextKey()
    {
        TypeNumber("0312345678");
        auto* pPlay = Item<QPushButton>(IDC_PLAY);
        pPlay->setFocus();
        QTest::keyClick(pPlay, Qt::Key_Space);
        QVERIFY(!pPlay->isEnabled());
        QVERIFY(pPlay->toolTip() != QStringLiteral("再生 (Alt+P)"));  // says why it cannot be pressed
        QWidget* pFocus = QApplication::focusWidget();
        QVERIFY(pFocus != Item<QWidget>(IDC_SAVE_WAVE) && pFocus != Item<QWidget>(IDC_EXIT));
        QTest::keyClick(pFocus, Qt::Key_Space);
        QTest::keyClick(pFocus, Qt::Key_Space);
        QCOMPARE(m_prompts.nSaveQuestions, 0);
        QCOMPARE(m_prompts.nExitQuestions, 0);
        QTRY_VERIFY_WITH_TIMEOUT(pPlay->isEnabled(), 10000);
        QCOMPARE(QApplication::focusWidget(), pPlay);
        QCOMPARE(pPlay->toolTip(), QStringLiteral("再生 (Alt+P)"));
    }

    void playTakesNoFocusBackFromWhereTheOperatorMovedIt()
    {
        TypeNumber("0312345678");
        Click(IDC_PLAY);
        QTest::mouseClick(Item<QLineEdit>(IDC_NUMBER), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Item<QPushButton>(IDC_PLAY)->isEnabled(), 10000);
        QCOMPARE(QApplication::focusWidget(), Item<QWidget>(IDC_NUMBER));
    }

    void saveDialogOpensInTheLastFolderUsed()
    {
        QTemporaryDir other;
        TypeNumber("0312345678");
        m_prompts.savePath = other.filePath("first.wav");
        Click(IDC_SAVE_WAVE);
        m_prompts.savePath = std::nullopt;  // cancelled: the folder is still the one last used
        Click(IDC_SAVE_WAVE);
        m_prompts.savePath = m_dir.filePath("second.wav");
        Click(IDC_SAVE_WAVE);
        Click(IDC_SAVE_WAVE);
        QCOMPARE(m_prompts.saveFolders, QStringList({QString(), other.path(), other.path(), m_dir.path()}));
    }

    void iconsKeepTheirBitmapAtOneAndAreDrawnAfresh_data()
    {
        QTest::addColumn<bool>("play");
        QTest::addColumn<QString>("bitmap");
        QTest::addColumn<QString>("drawing");
        QTest::newRow("IDI_PLAY") << true << ":/corvane/play_32.xpm"
                                  << ":/corvane/play.svg";
        QTest::newRow("IDI_APP") << false << ":/corvane/app_32.xpm"
                                 << ":/corvane/app.svg";
    }

    void iconsKeepTheirBitmapAtOneAndAreDrawnAfresh()
    {
        QFETCH(bool, play);
        QFETCH(QString, bitmap);
        QFETCH(QString, drawing);
        const QIcon icon = play ? Item<QPushButton>(IDC_PLAY)->icon() : m_pDlg->windowIcon();
        const QImage original = QImage(bitmap).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_ARGB32), original);
        QImage twice = icon.pixmap(QSize(32, 32), 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
        twice.setDevicePixelRatio(1.0);
        const QPixmap drawn = QIcon(drawing).pixmap(QSize(64, 64), 1.0);
        QVERIFY(!drawn.isNull());                                                 // the SVG icon engine is installed
        QCOMPARE(twice, drawn.toImage().convertToFormat(QImage::Format_ARGB32));  // not the bitmap blown up
        QVERIFY(!icon.pixmap(QSize(256, 256), 1.0).isNull());
    }

    void radioButtonsSwitchTheInputAndTheNumberKeepsItsText()
    {
        TypeNumber("0312345678");
        QTest::mouseClick(Item<QRadioButton>(IDC_RADIO_REASON), Qt::LeftButton);
        QVERIFY(!Item<QLineEdit>(IDC_NUMBER)->isEnabled());
        QVERIFY(Item<QComboBox>(IDC_REASON)->isEnabled());
        QTest::mouseClick(Item<QRadioButton>(IDC_RADIO_NUMBER), Qt::LeftButton);
        QVERIFY(Item<QLineEdit>(IDC_NUMBER)->isEnabled());
        QVERIFY(!Item<QComboBox>(IDC_REASON)->isEnabled());
        QCOMPARE(Item<QLineEdit>(IDC_NUMBER)->text(), QStringLiteral("0312345678"));
    }

    void enterAndEscapeDoNothing()
    {
        TypeNumber("123");
        const QList<QWidget*> targets = {Item<QWidget>(IDC_NUMBER),    Item<QWidget>(IDC_PLAY),
                                         Item<QWidget>(IDC_SAVE_WAVE), Item<QWidget>(IDC_EXIT),
                                         Item<QWidget>(IDC_AMPLITUDE), m_pDlg.get()};
        for (QWidget* pTarget : targets) {
            pTarget->setFocus();
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(pTarget, key);
        }
        QVERIFY(m_pDlg->isVisible());
        QCOMPARE(m_prompts.nExitQuestions, 0);
        QCOMPARE(m_prompts.nSaveQuestions, 0);
        QCOMPARE(StatusLine(), QString());
        QCOMPARE(Item<QLineEdit>(IDC_NUMBER)->text(), QStringLiteral("123"));
    }

    void leavingAsksFirst_data()
    {
        QTest::addColumn<bool>("byExitButton");
        QTest::addColumn<bool>("answer");
        QTest::newRow("close box, no") << false << false;
        QTest::newRow("close box, yes") << false << true;
        QTest::newRow("exit button, no") << true << false;
        QTest::newRow("exit button, yes") << true << true;
    }

    void leavingAsksFirst()
    {
        QFETCH(bool, byExitButton);
        QFETCH(bool, answer);
        TypeNumber("0312345678");
        Item<QSlider>(IDC_VOLUME)->setValue(70);
        m_prompts.bExitAnswer = answer;
        if (byExitButton)
            Click(IDC_EXIT);
        else
            m_pDlg->close();
        QCOMPARE(m_prompts.nExitQuestions, 1);
        QCOMPARE(m_pDlg->isVisible(), !answer);
        if (answer) {
            QCOMPARE(m_pDlg->result(), byExitButton ? int(QDialog::Accepted) : int(QDialog::Rejected));
            return;
        }
        QCOMPARE(Item<QLineEdit>(IDC_NUMBER)->text(), QStringLiteral("0312345678"));
        QCOMPARE(Item<QSlider>(IDC_VOLUME)->value(), 70);
        QVERIFY(!ApplyVolume(70));  // the move was applied as it happened
    }

    void longPathsWrapInsideABox()
    {
        const QString path = QStringLiteral("/home/tester/") + QString(255, QLatin1Char('n')) +
                             QStringLiteral("/deeper/") + QString(200, QLatin1Char('x')) + QStringLiteral(".wav");
        const QString text =
            QStringLiteral("ファイル「%1」を保存できませんでした（読み取り専用のファイルです）。").arg(path);
        const QString wrapped = WithLineBreaks(text);
        QCOMPARE(QString(wrapped).remove(QChar(0x200B)), text);
        const QRect laidOut =
            QFontMetrics(m_pDlg->font()).boundingRect(QRect(0, 0, 400, 100000), Qt::TextWordWrap, wrapped);
        QVERIFY2(laidOut.width() <= 400, qPrintable(QString::number(laidOut.width())));
    }

    void realExitBoxAsksInJapaneseWithNoAsDefault()
    {
        m_pDlg.reset();
        m_pDlg = std::make_unique<CCorvaneDlg>();  // the real boxes
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
        QTRY_VERIFY(m_pDlg->DeviceChecked());

        QString text;
        QString caption;
        QString face;
        QString defaultText;
        QTimer answer;
        answer.setInterval(20);
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (pBox == nullptr || !pBox->isVisible())
                return;
            text = pBox->text();
            caption = pBox->windowTitle();
            face = QFontInfo(pBox->font()).family();
            defaultText = pBox->defaultButton() ? pBox->defaultButton()->text() : QString();
            pBox->button(QMessageBox::No)->click();
        });
        answer.start();
        QTimer::singleShot(10000, m_pDlg.get(), [] {  // a box nobody expected: fail, don't hang
            if (QWidget* pModal = QApplication::activeModalWidget())
                pModal->close();
        });
        m_pDlg->close();
        answer.stop();

        QCOMPARE(text, QStringLiteral("終了しますか?"));
        QCOMPARE(caption, QStringLiteral("Corvane"));
        QCOMPARE(face, QStringLiteral("IPAPGothic"));
        QVERIFY2(defaultText.contains(QStringLiteral("いいえ")), qPrintable(defaultText));
        QVERIFY(m_pDlg->isVisible());
    }
};

}  // namespace corvane

QTEST_MAIN(corvane::DialogTest)
#include "dialog_test.moc"
