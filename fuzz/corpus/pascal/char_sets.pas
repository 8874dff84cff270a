// Sets of characters: union, intersection, difference, inclusion.
type
  TChars = set of Char;

function SetText(const s: TChars): string;
var
  c: Char;
begin
  Result := '';
  for c := #32 to #126 do
    if c in s then Result := Result + c;
  Result := '[' + Result + ']';
end;

function LettersOf(const w: string): TChars;
var
  i: Integer;
begin
  Result := [];
  for i := 1 to Length(w) do
    Include(Result, w[i]);
end;

var
  a, b: TChars;
begin
  a := LettersOf('pascal');
  b := LettersOf('delphi');
  Result := SetText(a) + ' ' + SetText(b) + nl +
    'both: ' + SetText(a * b) + nl +
    'either: ' + SetText(a + b) + nl +
    'only pascal: ' + SetText(a - b) + nl;
  Exclude(a, 'p');
  Result := Result + 'without p: ' + SetText(a) + nl;
  if LettersOf('lap') <= LettersOf('pascal') then Result := Result + 'lap fits in pascal' + nl;
  if a <> b then Result := Result + 'different' + nl;
  if ['a', 'b'] = ['b', 'a'] then Result := Result + 'order does not matter';
end.
