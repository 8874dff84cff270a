// A stand-in for a media player: one top-level window of the class and caption given on the
// command line, answering Winamp's WM_USER codes from a fixed table.
//
//   fake_player.exe CLASS CAPTION [--hang] [--ready EVENT]
//
// --hang: the window never returns from its first WM_USER (a hung player).
// --ready: the named event is set once the window exists.
// Ends on WM_CLOSE, or when the test kills it.
#include <windows.h>

#include <cstring>

namespace {

bool hang = false;

LRESULT winampReply(WPARAM data, LPARAM code) {
    // The equaliser's bands 0..9 and the pre-amplifier.
    static const LRESULT kBands[] = {0, 63, 31, 32, 16, 47, 10, 53, 40, 20, 31};
    switch (code) {
        case 0: return 0x2091;
        case 104: return 1;
        case 105: return data == 0 ? 83456 : 245;
        case 124: return 12;
        case 125: return 4;
        case 126: return data == 0 ? 44 : data == 1 ? 128 : 2;
        case 127: return data <= 10 ? kBands[data] : 0;
        default: return 0;
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_USER:
            if (hang) Sleep(INFINITE);
            return winampReply(wParam, lParam);
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const char* className = argv[1];
    const char* caption = argv[2];
    const char* readyEvent = nullptr;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hang") == 0) hang = true;
        if (std::strcmp(argv[i], "--ready") == 0 && i + 1 < argc) readyEvent = argv[++i];
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) == 0) return 3;
    HWND window = CreateWindowA(className, caption, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 4;
    if (readyEvent != nullptr) {
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
        if (event != nullptr) {
            SetEvent(event);
            CloseHandle(event);
        }
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
