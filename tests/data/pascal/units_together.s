@SCRIPT units_together
@LANG PAS
// fpc cannot run: Free Pascal has the Windows unit on Windows only.
// The units' routines named with their unit in one program: a folder and a file through
// SysUtils, a variant holding what they answer, and a window that is not there through Windows.
program UnitsTogether;
uses SysUtils, Windows, Variants;
var
  dir, name: string;
  h: Integer;
  v: Variant;
  ok: Boolean;
begin
  dir := SysUtils.IncludeTrailingPathDelimiter('units_together_dir');
  ok := SysUtils.ForceDirectories(dir);
  name := dir + 'a.txt';
  h := SysUtils.FileCreate(name);
  SysUtils.FileClose(h);
  v := SysUtils.FileExists(name);
  Result := 'made ' + SysUtils.BoolToStr(ok, True) + ', exists ' + VarToStr(v) + BatUtils.nl;
  v := Windows.FindWindow(nil, 'no window has this title 7f3a');
  Result := Result + 'window ' + VarToStr(v) + ', plus one ' + VarToStr(v + 1) + BatUtils.nl;
  ok := SysUtils.DeleteFile(name) and SysUtils.RemoveDir(dir);
  Result := Result + 'removed ' + SysUtils.BoolToStr(ok, True) + ', gone ' +
    SysUtils.BoolToStr(not SysUtils.DirectoryExists(dir), True);
end.
