@SCRIPT goto_loop
@LANG PAS
// A loop written with labels and goto, and goto leaving nested loops early.
program Jumps;
label
  again, found, 99;
var
  i, j, count: Integer;
  line: string;
begin
  i := 1;
  line := '';
again:
  line := line + IntToStr(i * i) + ' ';
  Inc(i);
  if i <= 6 then goto again;
  line := line + nl;
  count := 0;
  for i := 1 to 9 do
    for j := 1 to 9 do
    begin
      Inc(count);
      if i * j = 42 then goto found;
    end;
  line := line + 'not found';
  goto 99;
found:
  line := line + Format('%d x %d = 42 after %d steps', [i, j, count]);
99:
  Result := line;
end.
