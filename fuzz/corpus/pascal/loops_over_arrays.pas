var a: array[0..9] of Integer; b: array of Byte; i, j, t: Integer; s: Int64; v: Variant;
begin
  for i := 0 to 9 do a[i] := (i * 7) mod 10;
  for i := 9 downto 1 do
    for j := 0 to i - 1 do
      if a[j] > a[j + 1] then begin t := a[j]; a[j] := a[j + 1]; a[j + 1] := t end;
  SetLength(b, 3); b[2] := 300; j := 5;
  if (j < 10) and (a[j - 1] <= j) then s := s + j;
  v := 'x'; if (v = 'x') or (j <> 5) then s := s + a[9];
  Result := IntToStr(a[0]) + ',' + IntToStr(s) + ',' + IntToStr(b[2])
end.
