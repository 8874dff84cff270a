// Bubble sort of a static array, stopping early once a pass swaps nothing.
var
  a: array[1..10] of Integer;
  i, j, t, passes: Integer;
  swapped: Boolean;
  s: string;
begin
  a[1] := 64; a[2] := 34; a[3] := 25; a[4] := 12; a[5] := 22;
  a[6] := 11; a[7] := 90; a[8] := -5; a[9] := 0; a[10] := 25;
  passes := 0;
  for i := 1 to 9 do
  begin
    swapped := False;
    for j := 1 to 10 - i do
      if a[j] > a[j + 1] then
      begin
        t := a[j];
        a[j] := a[j + 1];
        a[j + 1] := t;
        swapped := True;
      end;
    Inc(passes);
    if not swapped then Break;
  end;
  s := '';
  for i := 1 to 10 do
    s := s + IntToStr(a[i]) + ' ';
  Result := Trim(s) + nl + 'passes: ' + IntToStr(passes);
end.
