// A queue in a ring buffer of five places.
const
  Size = 5;
var
  items: array[0..Size - 1] of string;
  head, count: Integer;
  log: string;

function Enqueue(const s: string): Boolean;
begin
  Result := count < Size;
  if Result then
  begin
    items[(head + count) mod Size] := s;
    Inc(count);
  end
  else
    log := log + 'full(' + s + ') ';
end;

function Dequeue: string;
begin
  if count = 0 then
    Result := '<empty>'
  else
  begin
    Result := items[head];
    head := (head + 1) mod Size;
    Dec(count);
  end;
end;

var
  i: Integer;
begin
  head := 0;
  count := 0;
  log := '';
  for i := 1 to 7 do
    Enqueue('job' + IntToStr(i));
  log := log + Dequeue + ' ' + Dequeue + ' ';
  Enqueue('job8');
  Enqueue('job9');
  while count > 0 do
    log := log + Dequeue + ' ';
  log := log + Dequeue;
  Result := log;
end.
