// SPDX-License-Identifier: MIT
// The dialog's workflow without a sound output, through its controller: said once, Play kept
// disabled with the reason in its tooltip, and saving still works. Run with the test device
// missing, on Linux and under wine alike.
#include "fake_view.h"

#include "support/temp_files.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::FakeView;

TEST(DialogWithoutDevice, SaysSoOnceKeepsPlayDisabledAndStillSaves)
{
    FakeView view;
    CDialogController controller(view);
    controller.OnCreate();
    controller.OnInitDialog();
    controller.OnShown();
    controller.StartDeviceCheck();
    ASSERT_TRUE(view.PumpUntil([&controller] { return controller.DeviceChecked(); }));
    ASSERT_FALSE(controller.DeviceStatus().IsOk());
    view.Pump();
    ASSERT_EQ(view.failures.size(), 1u);
    EXPECT_EQ(view.failures[0], controller.DeviceStatus().Message() + "\n再生はできません。Wave保存はできます。");
    EXPECT_FALSE(view.enabled[IDC_PLAY]);
    EXPECT_EQ(view.tips[IDC_PLAY], "音声出力デバイスを開けないため、再生できません。");

    view.focus = IDC_NUMBER;
    controller.OnShortcut(IDC_PLAY);  // a disabled Play's shortcut does nothing
    EXPECT_EQ(view.texts[IDC_FRAME_TEXT], "");

    const test::TempDir dir;
    view.number = "0312345678";
    view.savePath = dir.File("saved.wav");
    controller.OnSaveWave();
    EXPECT_EQ(test::ReadFile(dir.File("saved.wav")).size(), 33244u);
    EXPECT_EQ(view.texts[IDC_FRAME_TEXT].rfind("90 81 87", 0), 0u);

    controller.OnShown();  // once, not at every showing
    view.Pump();
    EXPECT_EQ(view.failures.size(), 1u);
    EXPECT_FALSE(view.enabled[IDC_PLAY]);
}

TEST(DialogWithoutDevice, AProblemFoundBeforeTheWindowShowsIsSaidWhenItDoes)
{
    FakeView view;
    CDialogController controller(view);
    controller.OnCreate();
    controller.OnInitDialog();
    controller.StartDeviceCheck();
    ASSERT_TRUE(view.PumpUntil([&controller] { return controller.DeviceChecked(); }));
    view.Pump();
    EXPECT_TRUE(view.failures.empty());  // nothing over a window that is not there
    controller.OnShown();
    view.Pump();
    EXPECT_EQ(view.failures.size(), 1u);
}

}  // namespace
}  // namespace corvane
