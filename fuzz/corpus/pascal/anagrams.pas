// Anagram check by counting letters.
function IsAnagram(const a, b: string): Boolean;
var
  counts: array['a'..'z'] of Integer;
  c: Char;
  i: Integer;
begin
  for c := 'a' to 'z' do
    counts[c] := 0;
  for i := 1 to Length(a) do
  begin
    c := a[i];
    if c in ['A'..'Z'] then c := Chr(Ord(c) + 32);
    if c in ['a'..'z'] then Inc(counts[c]);
  end;
  for i := 1 to Length(b) do
  begin
    c := b[i];
    if c in ['A'..'Z'] then c := Chr(Ord(c) + 32);
    if c in ['a'..'z'] then Dec(counts[c]);
  end;
  Result := True;
  for c := 'a' to 'z' do
    if counts[c] <> 0 then Result := False;
end;

procedure Check(const a, b: string);
begin
  if IsAnagram(a, b) then
    Result := Result + a + ' ~ ' + b + nl
  else
    Result := Result + a + ' !~ ' + b + nl;
end;

begin
  Result := '';
  Check('listen', 'silent');
  Check('Dormitory', 'Dirty room');
  Check('hello', 'world');
  Check('The eyes', 'They see');
  Check('abc', 'abcc');
end.
