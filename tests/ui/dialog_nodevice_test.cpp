// SPDX-License-Identifier: MIT
#include "audio/playback.h"
#include "fake_prompts.h"
#include "support/alsa_test_config.h"
#include "ui/corvane_app.h"
#include "ui/corvane_dlg.h"
#include "ui/resource.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace corvane {

class NoDeviceDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (test::MachineHasSoundCards())
            QSKIP("PortAudio falls back to this machine's own cards");
        m_pAlsa = std::make_unique<test::TestAlsaConfig>(test::CORVANE_TEST_DEVICE);
        InstallJapaneseSupport(*qApp);
    }

    void saysSoOnceKeepsPlayDisabledAndStillSaves()
    {
        test::FakePrompts prompts;
        CCorvaneDlg dlg(&prompts);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_COMPARE(prompts.failures.size(), 1);
        QVERIFY(prompts.failures[0].contains(QString::fromStdString(dlg.DeviceStatus().Message())));
        QVERIFY2(prompts.failures[0].section('\n', 0, 0).endsWith(QStringLiteral("。")),
                 qPrintable(prompts.failures[0]));
        auto* pPlay = static_cast<QPushButton*>(dlg.GetDlgItem(IDC_PLAY));
        QVERIFY(!pPlay->isEnabled());
        QVERIFY2(pPlay->toolTip().contains(QStringLiteral("デバイス")), qPrintable(pPlay->toolTip()));

        QTemporaryDir dir;
        static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_NUMBER))->setText("0312345678");
        prompts.savePath = dir.filePath("saved.wav");
        QTest::mouseClick(static_cast<QPushButton*>(dlg.GetDlgItem(IDC_SAVE_WAVE)), Qt::LeftButton);
        QCOMPARE(QFileInfo(dir.filePath("saved.wav")).size(), 33244);
        QVERIFY(static_cast<QLabel*>(dlg.GetDlgItem(IDC_FRAME_TEXT))->text().startsWith("90 81 87"));

        dlg.hide();
        dlg.show();
        QTest::qWait(50);
        QCOMPARE(prompts.failures.size(), 1);  // once, not at every showing
        QVERIFY(!pPlay->isEnabled());
    }

private:
    std::unique_ptr<test::TestAlsaConfig> m_pAlsa;
};

}  // namespace corvane

QTEST_MAIN(corvane::NoDeviceDialogTest)
#include "dialog_nodevice_test.moc"
