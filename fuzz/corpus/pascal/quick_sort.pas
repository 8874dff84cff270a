// Recursive quicksort (Hoare partition) of a dynamic array filled by a fixed sequence.
procedure QuickSort(var a: array of Integer; lo, hi: Integer);
var
  i, j, pivot, t: Integer;
begin
  i := lo;
  j := hi;
  pivot := a[(lo + hi) div 2];
  repeat
    while a[i] < pivot do Inc(i);
    while a[j] > pivot do Dec(j);
    if i <= j then
    begin
      t := a[i]; a[i] := a[j]; a[j] := t;
      Inc(i);
      Dec(j);
    end;
  until i > j;
  if lo < j then QuickSort(a, lo, j);
  if i < hi then QuickSort(a, i, hi);
end;

var
  a: array of Integer;
  i, seed: Integer;
  s: string;
begin
  SetLength(a, 20);
  seed := 7;
  for i := 0 to 19 do
  begin
    seed := (seed * 31 + 11) mod 101;
    a[i] := seed;
  end;
  QuickSort(a, 0, High(a));
  s := '';
  for i := 0 to High(a) do
    s := s + IntToStr(a[i]) + ' ';
  Result := TrimRight(s);
end.
