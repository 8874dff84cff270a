// Binary search in a sorted constant array; reports the index or -1 and the steps taken.
const
  Sorted: array[0..11] of Integer = (2, 5, 8, 12, 16, 23, 38, 56, 72, 91, 99, 120);

function Find(key: Integer; var steps: Integer): Integer;
var
  lo, hi, mid: Integer;
begin
  Result := -1;
  steps := 0;
  lo := Low(Sorted);
  hi := High(Sorted);
  while lo <= hi do
  begin
    Inc(steps);
    mid := (lo + hi) div 2;
    if Sorted[mid] = key then
    begin
      Result := mid;
      Exit;
    end
    else if Sorted[mid] < key then
      lo := mid + 1
    else
      hi := mid - 1;
  end;
end;

var
  keys: array[1..5] of Integer = (23, 2, 120, 50, 0);
  i, steps, at: Integer;
begin
  Result := '';
  for i := 1 to 5 do
  begin
    at := Find(keys[i], steps);
    Result := Result + IntToStr(keys[i]) + ' -> ' + IntToStr(at) + ' in ' + IntToStr(steps) + nl;
  end;
end.
