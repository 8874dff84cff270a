// Insertion sort of a dynamic array of strings.
var
  names: array of string;
  i, j: Integer;
  key, s: string;
begin
  SetLength(names, 6);
  names[0] := 'Olga';
  names[1] := 'Boris';
  names[2] := 'anna';
  names[3] := 'Dmitry';
  names[4] := 'Anna';
  names[5] := 'Claire';
  for i := 1 to High(names) do
  begin
    key := names[i];
    j := i - 1;
    while (j >= 0) and (CompareText(names[j], key) > 0) do
    begin
      names[j + 1] := names[j];
      Dec(j);
    end;
    names[j + 1] := key;
  end;
  s := '';
  for i := Low(names) to High(names) do
  begin
    if i > 0 then s := s + ', ';
    s := s + names[i];
  end;
  Result := s + ' (' + IntToStr(Length(names)) + ')';
end.
