// Takes screenshots of pelmirt.exe's main window for the documentation: stores the wanted settings
// through the program's own state file, starts the program, sizes its client area, visits the pages
// and saves each as a PNG cut out of the (virtual) desktop. Runs inside the same Wine prefix.
//
//   shot_driver PELMIRT_EXE OUTPUT_FOLDER NAME THEME LANGUAGE CLIENT_WIDTH CLIENT_HEIGHT [scan] [clean]
//
// Writes NAME-clean.png, NAME-disks.png, NAME-help.png, NAME-settings.png and NAME-languages.png (the
// Settings page with the language list open); with "scan" also
// NAME-scanning.png (taken while a scan runs) and NAME-scanned.png (its result), with "clean" also
// NAME-cleaned.png (after a clean-up, the result box closed). Exit code 0 when every picture was written.
//
//   shot_driver --shrink INPUT.png OUTPUT.png WIDTH
//
// Writes a smaller copy of a picture (the same proportions) for the documentation.
#include "services/state/app_settings.h"
#include "services/state/state_file.h"
#include "tools/shot_support.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

namespace {

using pm::shots::pngEncoder;
using pm::shots::saveWindow;
using pm::shots::waitForPaint;
using pm::shots::waitForWindowOf;

// The ring gauge eases to a new value in 300 ms; the picture waits that long after a result.
constexpr DWORD GaugeEaseMs = 350;

// Sends without waiting on a busy program for more than two seconds.
void send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
}

// The command a click on the control sends; the control does not take the focus, so no focus ring shows
// in the pictures (Wine draws it even after WM_CHANGEUISTATE asked to hide focus rectangles). Sent, so it
// has been handled when this returns; posted when its handler opens a modal box.
void click(HWND main, int id, bool wait = true) {
    HWND control = GetDlgItem(main, id);
    if (!control) return;
    const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    if (wait) {
        send(main, WM_COMMAND, command, reinterpret_cast<LPARAM>(control));
    } else {
        PostMessageW(main, WM_COMMAND, command, reinterpret_cast<LPARAM>(control));
    }
}

// The window as the program has painted it: a picture taken before the paint shows the last page.
bool shoot(HWND main, const std::wstring& path) {
    if (!waitForPaint(main, 10000)) std::fwprintf(stderr, L"the window was still painting\n");
    return saveWindow(main, path);
}

std::wstring text(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

void sizeClient(HWND window, int width, int height) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int extraW = (outer.right - outer.left) - client.right;
    const int extraH = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(window, nullptr, 10, 10, width + extraW, height + extraH, SWP_NOZORDER);
}

// Answers the next box the window shows with the button: a task dialog takes TDM_CLICK_BUTTON, a classic
// message box a WM_COMMAND. False when no box came.
bool answerDialog(DWORD processId, HWND main, int button, DWORD timeoutMs) {
    HWND dialog = waitForWindowOf(processId, L"#32770", main, timeoutMs);
    if (!dialog) return false;
    send(dialog, WM_USER + 102, static_cast<WPARAM>(button), 0);  // TDM_CLICK_BUTTON
    if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    for (int w = 0; w < 100 && IsWindow(dialog) && IsWindowVisible(dialog); ++w) Sleep(50);
    return true;
}

int shrink(const wchar_t* input, const wchar_t* output, int width) {
    Gdiplus::Bitmap source(input);
    CLSID png{};
    if (source.GetLastStatus() != Gdiplus::Ok || source.GetWidth() == 0 || width <= 0 || !pngEncoder(png)) return 6;
    const int height = static_cast<int>(static_cast<double>(source.GetHeight()) * width / source.GetWidth() + 0.5);
    Gdiplus::Bitmap target(width, height, PixelFormat24bppRGB);
    Gdiplus::Graphics g(&target);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    g.DrawImage(&source, 0, 0, width, height);
    return target.Save(output, &png, nullptr) == Gdiplus::Ok ? 0 : 6;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--shrink") {
        const pm::shots::GdiplusSession gdiplus;
        return shrink(argv[2], argv[3], _wtoi(argv[4]));
    }
    if (argc < 8) {
        std::fwprintf(stderr, L"usage: shot_driver EXE FOLDER NAME THEME LANGUAGE WIDTH HEIGHT [scan] [clean]\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    const std::wstring folder = argv[2];
    const std::wstring name = argv[3];
    bool scanShot = false, cleanShot = false;
    for (int i = 8; i < argc; ++i) {
        scanShot |= std::wstring(argv[i]) == L"scan";
        cleanShot |= std::wstring(argv[i]) == L"clean";
    }

    pm::AppSettings settings;
    settings.theme = std::string(argv[4], argv[4] + wcslen(argv[4]));
    settings.language = std::string(argv[5], argv[5] + wcslen(argv[5]));
    try {
        pm::saveAppState(settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot store the settings: %s\n", e.what());
        return 3;
    }

    const pm::shots::GdiplusSession gdiplus;
    SetCursorPos(0, 0);  // no hover faces in the pictures

    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fwprintf(stderr, L"cannot start %ls\n", exe.c_str());
        return 4;
    }
    int failures = 0;
    HWND main = waitForWindowOf(process.dwProcessId, L"PelmirtReleaseWindow", nullptr, 15000);
    if (!main) {
        std::fwprintf(stderr, L"the main window did not show\n");
        failures = 1;
    } else {
        sizeClient(main, _wtoi(argv[6]), _wtoi(argv[7]));
        const struct {
            int id;
            const wchar_t* page;
        } pages[] = {{102, L"disks"}, {103, L"help"}, {105, L"settings"}, {101, L"clean"}};
        for (const auto& page : pages) {
            click(main, page.id);
            failures += !shoot(main, folder + L"\\" + name + L"-" + page.page + L".png");
            if (page.id != 105) continue;
            // The language list open: every language's name in its own face.
            HWND languages = GetDlgItem(main, 180);
            send(languages, CB_SHOWDROPDOWN, TRUE, 0);
            if (HWND list = waitForWindowOf(process.dwProcessId, L"ComboLBox", nullptr, 2000)) waitForPaint(list, 10000);
            failures += !shoot(main, folder + L"\\" + name + L"-languages.png");
            send(languages, CB_SHOWDROPDOWN, FALSE, 0);
        }
        if (scanShot || cleanShot) {
            HWND analyse = GetDlgItem(main, 120);
            const std::wstring before = text(analyse);
            click(main, 120);  // returns with the scan started and laid out
            if (scanShot) failures += !shoot(main, folder + L"\\" + name + L"-scanning.png");
            // The scan has ended when the Analyse button offers to scan again.
            for (int w = 0; w < 600 && text(analyse) == before; ++w) Sleep(50);
            Sleep(GaugeEaseMs);
            failures += !shoot(main, folder + L"\\" + name + L"-scanned.png");
            if (cleanShot) {
                // The Recycle Bin and the browsers are left out by the default settings: a confirmation,
                // then the result.
                click(main, 121, false);
                if (!answerDialog(process.dwProcessId, main, IDYES, 5000)) ++failures;
                if (!answerDialog(process.dwProcessId, main, IDOK, 30000)) ++failures;
                Sleep(GaugeEaseMs);
                failures += !shoot(main, folder + L"\\" + name + L"-cleaned.png");
            }
        }
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return failures == 0 ? 0 : 5;
}
