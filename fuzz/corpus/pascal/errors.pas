type P = ^Integer; T = class end; R = record case Integer of 1: (A: Integer); end;
var s: set of 0..256; a: array[1..3] of Integer;
begin a[4] := 1; if False then Missing(1); SetLength(a, -1) end.
