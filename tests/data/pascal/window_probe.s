@SCRIPT window_probe
@LANG PAS
// fpc cannot run: Free Pascal has the Windows unit on Windows only.
// Looks for the window of a program that is not running: every routine answers as it does for
// a window that is not there, and the script goes on.
var
  Wnd, Child, Start, Copied: Integer;
  Title: string;
begin
  Start := GetTickCount;
  Wnd := FindWindow(nil, 'Quilbex probe: no window has this title');
  Child := FindWindowEx(Wnd, 0, 'QbxNoSuchClass', nil);
  Result := 'window: ' + IntToStr(Wnd) + ', child: ' + IntToStr(Child) + nl;
  Title := 'unchanged';
  Copied := GetWindowText(Wnd, Title, 256);
  Result := Result + 'title: ' + IntToStr(Copied) + ' [' + Title + ']' + nl;
  Result := Result + 'renamed: ' + BoolToStr(SetWindowText(Wnd, 'New title'), True) + nl;
  Result := Result + 'closed: ' + IntToStr(SendMessage(Wnd, WM_CLOSE, 0, 0)) + ', text: ' +
    IntToStr(SendMessage(Wnd, WM_GETTEXT, 100, 0)) + nl;
  Result := Result + 'shown: ' + BoolToStr(ShowWindow(Wnd, SW_SHOWNORMAL), True) + nl;
  Sleep(5);
  Result := Result + 'waited: ' + BoolToStr(GetTickCount - Start >= 0, True) + nl;
  Result := Result + 'shift up: ' + BoolToStr((GetKeyState(VK_SHIFT) and $8000) = 0, True);
end.
