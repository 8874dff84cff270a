@SCRIPT notes_folder
@LANG PAS
// Keeps a few notes in a folder of their own: writes them, lists them, reads one back, renames
// and removes them, and leaves nothing behind. Paths are relative to the current folder.
procedure PutText(const Name, Text: string);
var
  h, i: Integer;
  Buf: array[0..63] of Byte;
begin
  for i := 1 to Length(Text) do
    Buf[i - 1] := Ord(Text[i]);
  h := FileCreate(Name);
  FileWrite(h, Buf, Length(Text));
  FileClose(h);
end;

function GetText(const Name: string): string;
var
  h, i, n: Integer;
  Buf: array[0..63] of Byte;
begin
  Result := '';
  h := FileOpen(Name, fmOpenRead or fmShareDenyNone);
  if h = -1 then
    Exit;
  n := FileRead(h, Buf, 64);
  for i := 0 to n - 1 do
    Result := Result + Chr(Buf[i]);
  FileClose(h);
end;

var
  Dir, Listing, Swap: string;
  Names: array of string;
  sr: TSearchRec;
  i, j, Folders: Integer;
begin
  Dir := IncludeTrailingPathDelimiter('qbx_notes');
  Result := 'made: ' + BoolToStr(ForceDirectories(Dir + 'old'), True) + ', again: ' +
    BoolToStr(CreateDir(Dir + 'old'), True) + nl;
  PutText(Dir + 'monday.txt', 'Call the bank');
  PutText(Dir + 'tuesday.txt', 'Send the report');
  PutText(Dir + 'list.csv', 'a;b;c');
  Result := Result + 'exists: ' + BoolToStr(FileExists(Dir + 'monday.txt'), True) + ' ' +
    BoolToStr(DirectoryExists(Dir + 'old'), True) + ' ' +
    BoolToStr(FileExists(Dir + 'friday.txt'), True) + ' ' +
    BoolToStr(FileExists(Dir + 'old'), True) + nl;

  // The system lists a folder in its own order: the names are sorted here.
  SetLength(Names, 0);
  if FindFirst(Dir + '*.txt', faAnyFile, sr) = 0 then
  begin
    repeat
      SetLength(Names, Length(Names) + 1);
      Names[High(Names)] := sr.Name + ' (' + IntToStr(sr.Size) + ' bytes)';
    until FindNext(sr) <> 0;
    FindClose(sr);
  end;
  for i := 0 to High(Names) - 1 do
    for j := i + 1 to High(Names) do
      if Names[j] < Names[i] then
      begin
        Swap := Names[i]; Names[i] := Names[j]; Names[j] := Swap;
      end;
  Listing := '';
  for i := 0 to High(Names) do
    Listing := Listing + '  ' + Names[i] + nl;
  Result := Result + 'notes:' + nl + Listing;

  Folders := 0;
  if FindFirst(Dir + '*', faDirectory, sr) = 0 then
  begin
    repeat
      if ((sr.Attr and faDirectory) <> 0) and (sr.Name <> '.') and (sr.Name <> '..') then
        Inc(Folders);
    until FindNext(sr) <> 0;
    FindClose(sr);
  end;
  Result := Result + 'folders: ' + IntToStr(Folders) + nl;
  Result := Result + 'nothing found: ' + IntToStr(Ord(FindFirst(Dir + '*.doc', faAnyFile, sr) <> 0)) + nl;

  Result := Result + 'monday: ' + GetText(Dir + 'monday.txt') + nl;
  Result := Result + 'missing: [' + GetText(Dir + 'sunday.txt') + '] ' +
    IntToStr(FileAge(Dir + 'sunday.txt')) + ' ' + IntToStr(FileGetAttr(Dir + 'sunday.txt')) + nl;
  Result := Result + 'is a folder: ' +
    BoolToStr((FileGetAttr(Dir + 'old') and faDirectory) <> 0, True) + nl;
  Result := Result + 'renamed: ' +
    BoolToStr(RenameFile(Dir + 'monday.txt', Dir + 'done.txt'), True) + ' ' +
    GetText(Dir + 'done.txt') + nl;
  Result := Result + 'remove full folder: ' + BoolToStr(RemoveDir('qbx_notes'), True) + nl;
  Result := Result + 'deleted: ' + BoolToStr(DeleteFile(Dir + 'done.txt'), True) +
    BoolToStr(DeleteFile(Dir + 'tuesday.txt'), True) + BoolToStr(DeleteFile(Dir + 'list.csv'), True) +
    ', again: ' + BoolToStr(DeleteFile(Dir + 'list.csv'), True) + nl;
  Result := Result + 'removed: ' + BoolToStr(RemoveDir(Dir + 'old'), True) +
    BoolToStr(RemoveDir('qbx_notes'), True) + ', left: ' +
    BoolToStr(DirectoryExists('qbx_notes'), True) + nl;
  Result := Result + 'name parts: ' + ExtractFileName(Dir + 'a.txt') + ' ' +
    ExtractFileExt(Dir + 'a.txt') + ' ' + ExcludeTrailingPathDelimiter(Dir);
end.
