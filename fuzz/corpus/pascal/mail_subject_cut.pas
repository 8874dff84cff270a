// Cuts a subject to a number of characters, at a word boundary when one is near, with "...".
function Cut(const s: string; limit: Integer): string;
var
  p: Integer;
begin
  if Length(s) <= limit then
  begin
    Result := s;
    Exit;
  end;
  Result := Copy(s, 1, limit - 3);
  p := LastDelimiter(' ', Result);
  if p > limit div 2 then
    Result := Copy(Result, 1, p - 1);
  Result := TrimRight(Result) + '...';
end;

const
  Subject = 'Quarterly report on the regional sales figures and the forecast for next year';
var
  n: Integer;
begin
  Result := '';
  for n := 1 to 4 do
    Result := Result + IntToStr(n * 15) + ': ' + Cut(Subject, n * 15) + nl;
  Result := Result + Cut('Short one', 20) + nl + Cut('Supercalifragilisticexpialidocious', 12);
end.
