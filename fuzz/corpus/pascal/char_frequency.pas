// Letter frequencies in an array indexed by characters, printed as a bar chart.
var
  counts: array['a'..'z'] of Integer;
  text: string;
  c: Char;
  i, best: Integer;
begin
  text := 'She sells sea shells by the sea shore';
  for c := 'a' to 'z' do
    counts[c] := 0;
  for i := 1 to Length(text) do
  begin
    c := LowerCase(text)[i];
    if (c >= 'a') and (c <= 'z') then
      counts[c] := counts[c] + 1;
  end;
  Result := '';
  best := 0;
  for c := 'a' to 'z' do
    if counts[c] > 0 then
    begin
      Result := Result + c + ' ' + StringOfChar('#', counts[c]) + ' ' + IntToStr(counts[c]) + nl;
      if counts[c] > best then best := counts[c];
    end;
  Result := Result + 'most: ' + IntToStr(best);
end.
