// for ... in over strings, arrays and sets.
type
  TColor = (Red, Green, Blue, Yellow);
const
  ColorNames: array[TColor] of string = ('red', 'green', 'blue', 'yellow');
var
  c: Char;
  n, total: Integer;
  numbers: array of Integer;
  color: TColor;
  words: array[1..3] of string;
  w, s: string;
begin
  s := '';
  for c in 'Pascal' do
    s := s + c + '.';
  SetLength(numbers, 4);
  numbers[0] := 5; numbers[1] := 10; numbers[2] := 15; numbers[3] := 20;
  total := 0;
  for n in numbers do
    Inc(total, n);
  s := s + nl + 'total ' + IntToStr(total) + nl;
  for color in [Blue, Red, Yellow] do
    s := s + ColorNames[color] + ' ';
  s := s + nl;
  for c in ['x', 'a', 'm'] do
    s := s + c;
  words[1] := 'one'; words[2] := 'two'; words[3] := 'three';
  for w in words do
    s := s + ' ' + UpperCase(w);
  Result := s;
end.
