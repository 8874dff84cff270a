// Multiplies a 2x3 matrix by a 3x2 one; also the transpose of the product.
type
  TMatrix23 = array[1..2, 1..3] of Integer;
  TMatrix32 = array[1..3, 1..2] of Integer;
  TMatrix22 = array[1..2, 1..2] of Integer;
const
  A: TMatrix23 = ((1, 2, 3), (4, 5, 6));
  B: TMatrix32 = ((7, 8), (9, 10), (11, 12));
var
  C, T: TMatrix22;
  i, j, k: Integer;
  s: string;
begin
  for i := 1 to 2 do
    for j := 1 to 2 do
    begin
      C[i, j] := 0;
      for k := 1 to 3 do
        C[i, j] := C[i, j] + A[i, k] * B[k][j];
    end;
  for i := 1 to 2 do
    for j := 1 to 2 do
      T[j][i] := C[i][j];
  s := '';
  for i := 1 to 2 do
  begin
    for j := 1 to 2 do
      s := s + Format('%5d', [C[i, j]]);
    s := s + ' |';
    for j := 1 to 2 do
      s := s + Format('%5d', [T[i, j]]);
    s := s + nl;
  end;
  Result := s;
end.
