// SPDX-License-Identifier: MIT
// The real program, started as a user would start it, headless.
#include "support/alsa_test_config.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace corvane {

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_pAlsa = std::make_unique<test::TestAlsaConfig>(test::kCaptureDevice);
        qputenv("AUDIO_CAPTURE_FILE", QFile::encodeName(m_capture));
    }

    void endsCleanlyWithoutAskingOnASignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void endsCleanlyWithoutAskingOnASignal()
    {
        QFETCH(int, signal);
        QFile::remove(m_capture);
        QProcess program;
        program.start(QStringLiteral(CORVANE_PROGRAM), {});
        QVERIFY(program.waitForStarted(10000));
        // The dialog opens the device while it is being made: then it is up.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_capture), 10000);
        QTest::qWait(200);
        ::kill(static_cast<pid_t>(program.processId()), signal);
        // An exit question would never be answered here: it would show as a time-out.
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
#ifndef NDEBUG
        QVERIFY(program.readAllStandardError().contains("WM_DESTROY"));  // the device was released
#endif
    }

private:
    std::unique_ptr<test::TestAlsaConfig> m_pAlsa;
    QTemporaryDir m_dir;
    QString m_capture = m_dir.filePath(QStringLiteral("capture.raw"));
};

}  // namespace corvane

QTEST_GUILESS_MAIN(corvane::ProgramTest)
#include "program_test.moc"
