// What the main window's painter tests share: a theme of clearly distinct colours, the shell state at
// a known start, and reading pixels back from a back buffer.
#pragma once

#include "../ui/draw_support.h"

#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "ui/back_buffer.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"

#include <gtest/gtest.h>

namespace pm::test {

struct PaintFixture : testing::Test {
    void SetUp() override {
        savedTheme_ = ui::theme;
        ui::Theme& t = ui::theme;
        t.background = 0xFFF0F0F0;
        t.navBackground = 0xFF202020;
        t.card = 0xFFFFFFFF;
        t.surface = 0xFFC0C0C0;
        t.text = 0xFF111111;
        t.mutedText = 0xFF777777;
        t.border = 0xFFD0D0D0;
        t.accent = 0xFF00864D;
        t.accentText = 0xFF005030;
        t.accentSoft = 0xFFCCEEDD;
        t.onAccent = 0xFFFAFAFA;
        t.navText = 0xFFEEEEEE;
        t.navMutedText = 0xFFAAAAAA;
        t.highContrast = false;
        t.reduceMotion = true;
        t.cardBrush = t.backgroundBrush = t.surfaceBrush = nullptr;

        currentLanguage = EnglishLanguage;
        ui::layoutScale = 1.0f;
        ui::currentSettings = AppSettings{};
        ui::buttonStates.clear();
        clientWidth = 1100;
        clientHeight = 790;
        currentPage = 0;
        busy = false;
        analysisPresent = false;
        scanReport = ScanReport{};
        cleanSelection = {true, true, false};
        driveList.clear();
        gaugeFrom = gaugeTo = 0;
        gaugeStart = gaugeDuration = 0;
        progressTotal = 0;
        shownProgress = 0;
        ringAngle = 0;
    }
    void TearDown() override {
        ui::theme = savedTheme_;
        currentLanguage = EnglishLanguage;
        ui::layoutScale = 1.0f;
        ui::buttonStates.clear();
    }

    // Runs paint with a frame text list installed, then draws the texts, as the frame renderer does.
    template <typename Paint>
    static void withTextList(HDC dc, Paint paint) {
        ui::TextList list;
        ui::TextList* saved = ui::frameTextList;
        ui::frameTextList = &list;
        paint();
        ui::frameTextList = saved;
        ui::flushTextItems(list, dc);
        GdiFlush();
    }

    static uint32_t rgbAt(const ui::BackBuffer& buffer, int x, int y) {
        GdiFlush();
        return buffer.bits[y * buffer.width + x] & 0xFFFFFF;
    }
    static uint32_t rgbOf(ui::Argb colour) { return colour & 0xFFFFFF; }

private:
    ui::Theme savedTheme_;
};

}  // namespace pm::test
