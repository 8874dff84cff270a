// Constant arrays, one- and two-dimensional, and a constant array of records.
type
  TPlanet = record
    Name: string;
    Moons: Integer;
  end;
const
  DaysInMonth: array[1..12] of Integer = (31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31);
  Board: array[0..2, 0..2] of Char = (('X', 'O', 'X'), (' ', 'X', 'O'), ('O', ' ', 'X'));
  Planets: array[1..4] of TPlanet = ((Name: 'Mercury'; Moons: 0), (Name: 'Venus'; Moons: 0),
    (Name: 'Earth'; Moons: 1), (Name: 'Mars'; Moons: 2));
var
  i, j, total: Integer;
  s: string;
begin
  total := 0;
  for i := Low(DaysInMonth) to High(DaysInMonth) do
    Inc(total, DaysInMonth[i]);
  s := 'days: ' + IntToStr(total) + nl;
  for i := 0 to 2 do
  begin
    for j := 0 to 2 do
      s := s + Board[i, j];
    s := s + '|' + nl;
  end;
  if (Board[0, 0] = Board[1, 1]) and (Board[1, 1] = Board[2, 2]) then
    s := s + Board[0, 0] + ' wins on the diagonal' + nl;
  for i := 1 to 4 do
    s := s + Planets[i].Name + ':' + IntToStr(Planets[i].Moons) + ' ';
  Result := TrimRight(s);
end.
