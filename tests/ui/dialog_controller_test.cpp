// SPDX-License-Identifier: MIT
// The dialog's workflow through its controller and a view that records what it is asked, with
// real playback into a test device: the same suite on Linux (ALSA) and on Windows (winmm under
// wine), so that both dialogs are checked to behave alike. The test device is the process's
// default output: set up by the test's main on Linux, by the CTest environment under wine.
#include "fake_view.h"

#include "audio/playback.h"
#include "signal/frame.h"
#include "storage/safe_save.h"
#include "support/temp_files.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::FakeView;

std::string Hex(const NotificationRequest& request)
{
    return HexFrameText(*BuildFrame(request));
}

class DialogController : public testing::Test {
protected:
    void SetUp() override
    {
        Open();
        m_pController->StartDeviceCheck();
        ASSERT_TRUE(m_view.PumpUntil([this] { return m_pController->DeviceChecked(); }));
        ASSERT_TRUE(m_pController->DeviceStatus().IsOk()) << m_pController->DeviceStatus().Message();
    }

    void TearDown() override
    {
        m_pController.reset();
        EXPECT_TRUE(m_view.failures.empty()) << m_view.failures.front();
    }

    void Open()
    {
        m_pController = std::make_unique<CDialogController>(m_view);
        m_pController->OnCreate();
        m_pController->OnInitDialog();
        m_pController->OnShown();
    }

    bool PlayComesBack()
    {
        return m_view.PumpUntil([this] { return m_view.enabled[IDC_PLAY]; });
    }

    void ChooseReason(int index)
    {
        m_view.fields.nInfoKind = 1;
        m_pController->OnModeChanged();
        m_view.fields.nReason = index;
    }

    test::TempDir m_dir;
    FakeView m_view;
    std::unique_ptr<CDialogController> m_pController;
};

TEST_F(DialogController, ChecksTheDeviceOnlyWhenAskedAndKeepsPlayDisabledTillThen)
{
    m_pController.reset();
    Open();
    m_view.Pump();
    EXPECT_FALSE(m_pController->DeviceChecked());
    EXPECT_FALSE(m_view.enabled[IDC_PLAY]);
    EXPECT_EQ(m_view.tips[IDC_PLAY], "音声出力デバイスを確かめています。");
    m_pController->StartDeviceCheck();
    ASSERT_TRUE(m_view.PumpUntil([this] { return m_pController->DeviceChecked(); }));
    EXPECT_TRUE(m_pController->DeviceStatus().IsOk());
    EXPECT_TRUE(m_view.enabled[IDC_PLAY]);
    EXPECT_EQ(m_view.tips[IDC_PLAY], "");  // its own, which names the shortcut
}

TEST_F(DialogController, StartsWithTheNumberChosenAndEverythingAtItsInitialValue)
{
    EXPECT_EQ(m_view.fields.nInfoKind, 0);
    EXPECT_EQ(m_view.fields.nReason, 0);
    EXPECT_EQ(m_view.fields.nAmplitude, 1);  // 20%
    EXPECT_EQ(m_view.texts[IDC_NUMBER], "");
    EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], "");
    EXPECT_TRUE(m_view.enabled[IDC_NUMBER]);
    EXPECT_FALSE(m_view.enabled[IDC_REASON]);
    EXPECT_EQ(m_view.focus, IDC_NUMBER);
    EXPECT_EQ(m_view.volume, 30);
    EXPECT_FALSE(ApplyVolume(30));  // the dialog has set it already
}

TEST_F(DialogController, ModesSwitchTheInputAndTheNumberKeepsItsText)
{
    m_view.number = "0312345678";
    ChooseReason(0);
    EXPECT_FALSE(m_view.enabled[IDC_NUMBER]);
    EXPECT_TRUE(m_view.enabled[IDC_REASON]);
    m_view.fields.nInfoKind = 0;
    m_pController->OnModeChanged();
    EXPECT_TRUE(m_view.enabled[IDC_NUMBER]);
    EXPECT_FALSE(m_view.enabled[IDC_REASON]);
    EXPECT_EQ(m_view.number, "0312345678");
}

TEST_F(DialogController, PlayShowsTheFrameAndKeepsPlayDisabledUntilTheNotice)
{
    m_view.number = "0312345678";  // ignored: the reason is chosen
    ChooseReason(2);
    m_pController->OnPlay();
    EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], "90 81 87 90 82 C0 03 84 81 C3 90 03 03 88 ");
    EXPECT_FALSE(m_view.enabled[IDC_PLAY]);
    EXPECT_EQ(m_view.tips[IDC_PLAY], "再生中です。終わるとまた押せます。");
    m_pController->OnPlay();  // while it plays, nothing
    ASSERT_TRUE(PlayComesBack());
    EXPECT_EQ(PlaybackBuffer()->Offset, 14800);
    EXPECT_TRUE(m_view.messages.empty());
    EXPECT_EQ(m_view.tips[IDC_PLAY], "");
}

// The test device unplugged for the object's life: its ALSA configuration is replaced by one
// whose default output cannot be opened, and put back when the object goes. Each is a new file,
// so that ALSA, which reads its configuration again when a file's identity or time changes,
// does so at the next opening of a device, within the same second too.
class UnpluggedDevice {
public:
    UnpluggedDevice() : m_path(ConfigurationPath()), m_saved(test::ReadFile(m_path))
    {
        const std::string missing = "pcm.!default { type hw card 99 }\n";
        Replace({missing.begin(), missing.end()});
    }
    ~UnpluggedDevice() { Replace(m_saved); }
    UnpluggedDevice(const UnpluggedDevice&) = delete;
    UnpluggedDevice& operator=(const UnpluggedDevice&) = delete;

private:
    // A Windows program reaches the test run's Unix path through drive Z:.
    static std::string ConfigurationPath()
    {
        const char* const pszPath = std::getenv("ALSA_CONFIG_PATH");
#ifdef _WIN32
        return std::string("Z:") + (pszPath != nullptr ? pszPath : "");
#else
        return pszPath != nullptr ? pszPath : "";
#endif
    }
    void Replace(const std::vector<std::uint8_t>& bytes)
    {
        test::WriteFile(m_path + ".new", bytes);
        std::filesystem::rename(m_path + ".new", m_path);
    }

    std::string m_path;
    std::vector<std::uint8_t> m_saved;
};

TEST_F(DialogController, APlayWhoseDeviceIsGoneIsReportedAndTheDeviceIsFoundAgainWhenItComesBack)
{
    m_view.number = "0312345678";
    {
        const UnpluggedDevice unplugged;
        m_pController->OnPlay();
        ASSERT_TRUE(PlayComesBack());
    }
    ASSERT_EQ(m_view.failures.size(), 1u);
    EXPECT_EQ(m_view.failures[0].rfind("再生が途中で終わりました。", 0), 0u) << m_view.failures[0];
    m_view.failures.clear();

    m_pController->OnPlay();  // no restart: each play opens the device anew
    ASSERT_TRUE(PlayComesBack());
    EXPECT_TRUE(m_view.failures.empty());
}

struct TypedNumber {
    const char* pszTyped;
    std::size_t nBytes;    // its length in code page 932
    const char* pszShown;  // the message, empty when the number is sent
};

class NumberCheck : public DialogController, public testing::WithParamInterface<TypedNumber> {};

TEST_P(NumberCheck, IsByItsLengthInBytesBeforeAnythingIsComposedOrAsked)
{
    const TypedNumber& typed = GetParam();
    m_view.savePath = m_dir.File("checked.wav");
    for (const bool bSave : {false, true}) {
        m_view.number = typed.pszTyped;
        m_view.texts[IDC_FRAME_TEXT].clear();
        bSave ? m_pController->OnSaveWave() : m_pController->OnPlay();
        if (*typed.pszShown == '\0') {
            EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT].size(), 3 * (13 + typed.nBytes));
            EXPECT_TRUE(m_view.messages.empty());
        } else {
            EXPECT_EQ(m_view.messages, std::vector<std::string>{typed.pszShown});
            EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], "");  // nothing composed
            EXPECT_EQ(m_view.nSaveQuestions, 0);          // checked before the file dialog
            m_view.messages.clear();
        }
        ASSERT_TRUE(PlayComesBack());
    }
}

constexpr const char* kTooLong = "番号は20桁まで設定できます";
const std::string kFourHundredFives(400, '5');

INSTANTIATE_TEST_SUITE_P(Numbers, NumberCheck,
                         testing::Values(TypedNumber{"", 0, "番号を入力してください"},
                                         TypedNumber{"01234567890123456789", 20, ""},
                                         TypedNumber{"012345678901234567890", 21, kTooLong},
                                         TypedNumber{kFourHundredFives.c_str(), 255, kTooLong},
                                         TypedNumber{"03 ABC-xyz", 10, ""}, TypedNumber{"あいうえおかきくけこ", 20, ""},
                                         TypedNumber{"あいうえおかきくけこさ", 22, kTooLong},
                                         TypedNumber{"０３１２", 8, ""}));

TEST_F(DialogController, LeavingAsksFirst)
{
    for (const bool bAnswer : {false, true}) {
        m_view.bExitAnswer = bAnswer;
        m_view.nExitQuestions = 0;
        EXPECT_EQ(m_pController->OnClose(), bAnswer);
        EXPECT_EQ(m_view.nExitQuestions, 1);
    }
    EXPECT_TRUE(m_pController->OnClose());  // ending already: not asked again
    EXPECT_EQ(m_view.nExitQuestions, 1);

    m_pController.reset();
    Open();
    m_view.bExitAnswer = false;
    m_pController->OnExit();
    EXPECT_FALSE(m_view.bClosed);
    m_view.bExitAnswer = true;
    m_pController->OnExit();
    EXPECT_TRUE(m_view.bClosed);
}

TEST_F(DialogController, ACancelledSaveLeavesTheStatusLine)
{
    ChooseReason(0);
    m_pController->OnPlay();
    const std::string before = m_view.texts[IDC_FRAME_TEXT];
    ChooseReason(3);
    m_pController->OnSaveWave();
    EXPECT_EQ(m_view.nSaveQuestions, 1);
    EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], before);
    ASSERT_TRUE(PlayComesBack());
}

TEST_F(DialogController, TheSavedFileIsTheOneTheSignalLibraryWritesAndTheNextSaveOpensInTheLastFolderUsed)
{
    m_view.number = "0312345678";
    m_view.fields.nAmplitude = 6;
    m_view.savePath = m_dir.File("dialog");  // no extension is added
    m_pController->OnSaveWave();

    auto reference = std::make_unique<SampleBuffer>();
    iWaveFormValue = *AmplitudeFromStep(6);
    const NotificationRequest request{InformationKind::CallerNumber, "0312345678"};
    const auto showNothing = [](const std::string&) {};
    ComposeSignal(ComposeMode::Save, m_dir.File("reference.wav"), request, *reference, showNothing, SaveFileSafely);
    const std::vector<std::uint8_t> saved = test::ReadFile(m_dir.File("dialog"));
    EXPECT_EQ(saved.size(), 33244u);
    EXPECT_EQ(saved, test::ReadFile(m_dir.File("reference.wav")));
    EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], Hex(request));
    EXPECT_TRUE(m_view.enabled[IDC_PLAY]);

    m_view.savePath = std::nullopt;  // cancelled: the folder is still the one last used
    m_pController->OnSaveWave();
    const test::TempDir other;
    m_view.savePath = other.File("second.wav");
    m_pController->OnSaveWave();
    m_pController->OnSaveWave();
    EXPECT_EQ(m_view.saveFolders, (std::vector<std::string>{"", m_dir.Path(), m_dir.Path(), other.Path()}));
}

TEST_F(DialogController, AFailedSaveNamesThePathAndReason)
{
    ChooseReason(1);
    const std::string path = m_dir.File("missing/folder.wav");
    m_view.savePath = path;
    m_pController->OnSaveWave();
    ASSERT_EQ(m_view.failures.size(), 1u);
    EXPECT_NE(m_view.failures[0].find(path), std::string::npos) << m_view.failures[0];
    EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], Hex({InformationKind::AbsenceReason, "O"}));
    m_view.failures.clear();
}

TEST_F(DialogController, ASaveDuringAPlayLeavesThePlayedSignalAlone)
{
    ChooseReason(2);
    m_pController->OnPlay();  // its completion notice waits in the view's queue until the save is done
    EXPECT_FALSE(m_view.enabled[IDC_PLAY]);
    const SampleBuffer played = *PlaybackBuffer();

    m_view.fields.nInfoKind = 0;
    m_pController->OnModeChanged();
    m_view.number = "0312345678";
    m_view.savePath = m_dir.File("during.wav");
    m_pController->OnSaveWave();

    EXPECT_EQ(m_view.texts[IDC_FRAME_TEXT], Hex({InformationKind::CallerNumber, "0312345678"}));
    EXPECT_EQ(test::ReadFile(m_dir.File("during.wav")).size(), 33244u);
    EXPECT_TRUE(PlaybackBuffer()->samples == played.samples);
    EXPECT_EQ(PlaybackBuffer()->Offset, played.Offset);
    ASSERT_TRUE(PlayComesBack());
}

TEST_F(DialogController, ClosingWhilePlayingNeitherHangsNorCrashes)
{
    m_view.number = "01234567890123456789";
    m_pController->OnPlay();
    m_pController.reset();
    m_view.Drop();  // a notice posted for the dialog never reaches one that has gone
    EXPECT_EQ(PlaybackBuffer(), nullptr);
}

TEST_F(DialogController, AKeyboardPlayParksTheFocusAndGivesItBackUnlessTheOperatorMovedOn)
{
    for (const bool bMoved : {false, true}) {
        m_view.number = "0312";
        m_view.focus = IDC_PLAY;
        m_pController->OnShortcut(IDC_PLAY);
        EXPECT_FALSE(m_view.enabled[IDC_PLAY]);
        EXPECT_EQ(m_view.focus, FakeView::kParked);  // Wave保存 is not under the next Space
        m_pController->OnShortcut(IDC_PLAY);         // a disabled Play's shortcut does nothing
        if (bMoved)
            m_view.focus = IDC_AMPLITUDE;
        ASSERT_TRUE(PlayComesBack());
        EXPECT_EQ(m_view.focus, bMoved ? IDC_AMPLITUDE : IDC_PLAY);
    }
}

TEST_F(DialogController, AModesShortcutChoosesItAndMovesOnToItsInput)
{
    m_pController->OnShortcut(IDC_RADIO_REASON);
    EXPECT_EQ(m_view.fields.nInfoKind, 1);
    EXPECT_TRUE(m_view.enabled[IDC_REASON]);
    EXPECT_FALSE(m_view.enabled[IDC_NUMBER]);
    EXPECT_EQ(m_view.focus, IDC_REASON);
    EXPECT_TRUE(m_view.bFocusByShortcut);
    m_pController->OnShortcut(IDC_RADIO_NUMBER);
    EXPECT_EQ(m_view.fields.nInfoKind, 0);
    EXPECT_EQ(m_view.focus, IDC_NUMBER);
}

TEST(DialogKeys, EnterAndEscapeAreTakenBeforeAnyControl)
{
    EXPECT_TRUE(CDialogController::SwallowsKey(DialogKey::Enter));
    EXPECT_TRUE(CDialogController::SwallowsKey(DialogKey::Escape));
    EXPECT_FALSE(CDialogController::SwallowsKey(DialogKey::Other));
}

}  // namespace
}  // namespace corvane
