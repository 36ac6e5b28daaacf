// SPDX-License-Identifier: MIT
// The dialog for everyone: what assistive technologies read of each control, the labels linked
// to their controls, the keys that reach every command, and the save dialog's "All files".
#include "fake_prompts.h"
#include "support/alsa_test_config.h"
#include "ui/corvane_app.h"
#include "ui/corvane_dlg.h"
#include "ui/resource.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace corvane {

using test::FakePrompts;

class DialogAccessTest : public QObject {
    Q_OBJECT

private:
    template <class T>
    T* Item(int id) const
    {
        return static_cast<T*>(m_pDlg->GetDlgItem(id));
    }
    QAccessibleInterface* Accessible(int id) const { return QAccessible::queryAccessibleInterface(Item<QWidget>(id)); }
    void Press(Qt::Key key) { QTest::keyClick(m_pDlg->focusWidget(), key, Qt::AltModifier); }

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
        m_pDlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pDlg.get()));
        QTRY_VERIFY(m_pDlg->DeviceChecked());
    }

    void cleanup()
    {
        m_pDlg.reset();
        QVERIFY(m_prompts.failures.isEmpty());
    }

    void eachControlIsReadByItsNameRoleAndValue_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("value");
        QTest::newRow("number mode") << IDC_RADIO_NUMBER << "発信電話番号(最大20桁)" << int(QAccessible::RadioButton)
                                     << "";
        QTest::newRow("reason mode") << IDC_RADIO_REASON << "発信電話番号非通知理由" << int(QAccessible::RadioButton)
                                     << "";
        QTest::newRow("number") << IDC_NUMBER << "発信電話番号" << int(QAccessible::EditableText) << "";
        QTest::newRow("reason") << IDC_REASON << "非通知理由" << int(QAccessible::ComboBox) << "[P]ユーザ拒否";
        QTest::newRow("play") << IDC_PLAY << "再生" << int(QAccessible::Button) << "";
        QTest::newRow("save") << IDC_SAVE_WAVE << "Wave保存" << int(QAccessible::Button) << "";
        QTest::newRow("volume") << IDC_VOLUME << "音量" << int(QAccessible::Slider) << "30";
        QTest::newRow("amplitude") << IDC_AMPLITUDE << "波形の振幅" << int(QAccessible::ComboBox) << "20%";
        QTest::newRow("exit") << IDC_EXIT << "終了" << int(QAccessible::Button) << "";
        QTest::newRow("status line") << IDC_FRAME_TEXT << "フレーム" << int(QAccessible::StaticText) << "";
    }

    void eachControlIsReadByItsNameRoleAndValue()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, value);
        QAccessibleInterface* pAccessible = Accessible(id);
        QVERIFY(pAccessible != nullptr);
        QCOMPARE(pAccessible->text(QAccessible::Name), name);
        QCOMPARE(int(pAccessible->role()), role);
        QVERIFY(!pAccessible->text(QAccessible::Description).isEmpty());
        if (!value.isEmpty())
            QCOMPARE(pAccessible->text(QAccessible::Value), value);
    }

    void everyWidgetOfTheTemplateHasANameAndADescription()
    {
        const QList<QWidget*> widgets = m_pDlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(widgets.size(), 14);  // the template's controls
        for (QWidget* pWidget : widgets) {
            QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(pWidget);
            QVERIFY2(!pAccessible->text(QAccessible::Name).isEmpty(), pWidget->metaObject()->className());
            QVERIFY2(!pAccessible->text(QAccessible::Description).isEmpty(),
                     qPrintable(pAccessible->text(QAccessible::Name)));
        }
    }

    void aListIsNamedByWhatItChoosesWhateverItemItShows()
    {
        auto* pAmplitude = Item<QComboBox>(IDC_AMPLITUDE);
        pAmplitude->setCurrentIndex(9);
        QCOMPARE(Accessible(IDC_AMPLITUDE)->text(QAccessible::Name), QStringLiteral("波形の振幅"));
        QCOMPARE(Accessible(IDC_AMPLITUDE)->text(QAccessible::Value), QStringLiteral("100%"));
        // Its dropped list, with every item, is still there to be read.
        QAccessibleInterface* pList = Accessible(IDC_AMPLITUDE)->child(0);
        QVERIFY(pList != nullptr);
        QCOMPARE(pList->object(), pAmplitude->view());
        QCOMPARE(Accessible(IDC_AMPLITUDE)->indexOfChild(pList), 0);
    }

    void theLabelsAreLinkedToTheControlsTheyName_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("id");
        QTest::newRow("amplitude") << "波形の振幅" << IDC_AMPLITUDE;
        QTest::newRow("volume") << "音量" << IDC_VOLUME;
    }

    void theLabelsAreLinkedToTheControlsTheyName()
    {
        QFETCH(QString, label);
        QFETCH(int, id);
        QLabel* pLabel = nullptr;
        for (QLabel* pCandidate : m_pDlg->findChildren<QLabel*>()) {
            if (pCandidate->text() == label)
                pLabel = pCandidate;
        }
        QVERIFY(pLabel != nullptr);
        QCOMPARE(pLabel->buddy(), Item<QWidget>(id));
        const auto labels = Accessible(id)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->object(), pLabel);
    }

    void theModesAreChosenFromTheKeyboardAndTakeItToTheirInput()
    {
        Item<QLineEdit>(IDC_NUMBER)->setText(QStringLiteral("0312345678"));
        Press(Qt::Key_R);
        QVERIFY(Item<QRadioButton>(IDC_RADIO_REASON)->isChecked());
        QVERIFY(!Item<QLineEdit>(IDC_NUMBER)->isEnabled());
        QVERIFY(Item<QComboBox>(IDC_REASON)->isEnabled());
        QCOMPARE(m_pDlg->focusWidget(), Item<QWidget>(IDC_REASON));
        Press(Qt::Key_N);
        QVERIFY(Item<QRadioButton>(IDC_RADIO_NUMBER)->isChecked());
        QVERIFY(!Item<QComboBox>(IDC_REASON)->isEnabled());
        QCOMPARE(m_pDlg->focusWidget(), Item<QWidget>(IDC_NUMBER));
        QCOMPARE(Item<QLineEdit>(IDC_NUMBER)->text(), QStringLiteral("0312345678"));
        // The template stays as it is: the radio buttons keep their texts and get no tab stop.
        QCOMPARE(Item<QRadioButton>(IDC_RADIO_NUMBER)->text(), QStringLiteral("発信電話番号(最大20桁)"));
        QCOMPARE(Item<QRadioButton>(IDC_RADIO_REASON)->focusPolicy(), Qt::ClickFocus);
    }

    void theCommandsAreReachedFromTheKeyboardAndTheirTooltipsSayHow()
    {
        QCOMPARE(Item<QWidget>(IDC_RADIO_NUMBER)->toolTip(), QStringLiteral("発信電話番号(最大20桁) (Alt+N)"));
        QCOMPARE(Item<QWidget>(IDC_RADIO_REASON)->toolTip(), QStringLiteral("発信電話番号非通知理由 (Alt+R)"));
        QCOMPARE(Item<QWidget>(IDC_SAVE_WAVE)->toolTip(), QStringLiteral("Wave保存 (Alt+W)"));
        QCOMPARE(Item<QWidget>(IDC_EXIT)->toolTip(), QStringLiteral("終了 (Alt+X)"));

        Item<QLineEdit>(IDC_NUMBER)->setText(QStringLiteral("0312345678"));
        Press(Qt::Key_P);
        QVERIFY(Item<QLabel>(IDC_FRAME_TEXT)->text().startsWith(QStringLiteral("90 81 87")));
        QVERIFY(!Item<QPushButton>(IDC_PLAY)->isEnabled());
        Press(Qt::Key_P);  // a second press while the first plays does nothing
        QTRY_VERIFY_WITH_TIMEOUT(Item<QPushButton>(IDC_PLAY)->isEnabled(), 10000);
        QCOMPARE(Item<QWidget>(IDC_PLAY)->toolTip(), QStringLiteral("再生 (Alt+P)"));

        Press(Qt::Key_W);
        QCOMPARE(m_prompts.nSaveQuestions, 1);
        Press(Qt::Key_X);
        QCOMPARE(m_prompts.nExitQuestions, 1);
        QVERIFY(m_pDlg->isVisible());  // the answer was No
    }

    void allFilesInTheSaveDialogListsNamesWithoutADot()
    {
        QTemporaryDir folder;
        QFile(folder.filePath("signal.wav")).open(QIODevice::WriteOnly);
        QFile(folder.filePath("nodot")).open(QIODevice::WriteOnly);

        QStringList filterTexts;
        QStringList shownByWave;
        QStringList shownByAll;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* pView = pDialog != nullptr ? pDialog->findChild<QAbstractItemView*>("listView") : nullptr;
            if (pView == nullptr || !pDialog->isVisible())
                return;
            QStringList shown;
            for (int row = 0; row < pView->model()->rowCount(pView->rootIndex()); ++row)
                shown << pView->model()->index(row, 0, pView->rootIndex()).data().toString();
            if (filterTexts.isEmpty()) {
                for (const auto* pTypes = pDialog->findChild<QComboBox*>("fileTypeCombo");
                     filterTexts.size() < pTypes->count();)
                    filterTexts << pTypes->itemText(filterTexts.size());
            }
            if (shownByWave.isEmpty() && shown.contains("signal.wav")) {
                shownByWave = shown;
                pDialog->selectNameFilter(pDialog->nameFilters().at(1));
            } else if (!shownByWave.isEmpty() && shown.contains("nodot")) {
                shownByAll = shown;
                pDialog->reject();
            }
        });
        poll.start();
        QTimer::singleShot(10000, this, [] {  // a dialog that never shows the file: fail, don't hang
            if (QWidget* pModal = QApplication::activeModalWidget())
                pModal->close();
        });
        CDialogPrompts prompts;
        QCOMPARE(prompts.AskSavePath(m_pDlg.get(), folder.path()), std::nullopt);
        poll.stop();

        QCOMPARE(filterTexts, (QStringList{"Wave File(*.wav)", "All files(*.*)"}));
        QCOMPARE(shownByWave, QStringList{"signal.wav"});
        QCOMPARE(shownByAll, (QStringList{"nodot", "signal.wav"}));
    }
};

}  // namespace corvane

QTEST_MAIN(corvane::DialogAccessTest)
#include "dialog_access_test.moc"
