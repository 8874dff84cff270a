// Pascal's triangle in a two-dimensional dynamic array, centred.
const
  Rows = 7;
var
  t: array of array of Integer;
  i, j: Integer;
  line: string;
begin
  SetLength(t, Rows);
  for i := 0 to Rows - 1 do
  begin
    SetLength(t[i], i + 1);
    t[i][0] := 1;
    t[i][i] := 1;
    for j := 1 to i - 1 do
      t[i][j] := t[i - 1][j - 1] + t[i - 1][j];
  end;
  Result := '';
  for i := 0 to Rows - 1 do
  begin
    line := StringOfChar(' ', (Rows - 1 - i) * 2);
    for j := 0 to High(t[i]) do
      line := line + Format('%4d', [t[i][j]]);
    Result := Result + TrimRight(line) + nl;
  end;
end.
