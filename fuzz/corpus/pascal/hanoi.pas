// Towers of Hanoi: the moves for three disks, and how many moves larger towers need.
var
  moves: string;
  count: Integer;

procedure Move(n: Integer; from, via, onto: Char);
begin
  if n = 0 then Exit;
  Move(n - 1, from, onto, via);
  Inc(count);
  moves := moves + IntToStr(n) + ':' + from + '>' + onto + ' ';
  Move(n - 1, via, from, onto);
end;

var
  n: Integer;
begin
  moves := '';
  count := 0;
  Move(3, 'A', 'B', 'C');
  Result := Trim(moves) + nl + IntToStr(count) + ' moves' + nl;
  for n := 4 to 10 do
  begin
    count := 0;
    moves := '';
    Move(n, 'A', 'B', 'C');
    Result := Result + IntToStr(n) + ' disks: ' + IntToStr(count) + nl;
  end;
end.
