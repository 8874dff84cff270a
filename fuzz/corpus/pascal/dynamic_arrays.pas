// Dynamic arrays: growing with SetLength, copies, shrinking, and arrays of arrays.
var
  squares, copy_: array of Integer;
  grid: array of array of Char;
  i, j: Integer;
  s: string;
begin
  s := '';
  for i := 1 to 6 do
  begin
    SetLength(squares, Length(squares) + 1);
    squares[High(squares)] := i * i;
  end;
  copy_ := Copy(squares, 2, 3);
  s := 'length ' + IntToStr(Length(squares)) + ', last ' + IntToStr(squares[5]) + ', copy';
  for i := 0 to High(copy_) do
    s := s + ' ' + IntToStr(copy_[i]);
  SetLength(squares, 2);
  s := s + nl + 'after shrinking: ' + IntToStr(Length(squares)) + ' ' + IntToStr(squares[1]) + nl;
  SetLength(grid, 3, 4);
  for i := 0 to 2 do
    for j := 0 to 3 do
      if (i + j) mod 2 = 0 then grid[i][j] := '#' else grid[i][j] := '.';
  for i := 0 to High(grid) do
  begin
    for j := 0 to High(grid[i]) do
      s := s + grid[i, j];
    s := s + nl;
  end;
  squares := nil;
  Result := s + 'emptied: ' + IntToStr(Length(squares));
end.
