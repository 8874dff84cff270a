// Numbers in English words, up to the millions.
const
  Ones: array[0..19] of string = ('zero', 'one', 'two', 'three', 'four', 'five', 'six',
    'seven', 'eight', 'nine', 'ten', 'eleven', 'twelve', 'thirteen', 'fourteen', 'fifteen',
    'sixteen', 'seventeen', 'eighteen', 'nineteen');
  Tens: array[2..9] of string = ('twenty', 'thirty', 'forty', 'fifty', 'sixty', 'seventy',
    'eighty', 'ninety');

function Below1000(n: Integer): string;
begin
  Result := '';
  if n >= 100 then
  begin
    Result := Ones[n div 100] + ' hundred';
    n := n mod 100;
    if n > 0 then Result := Result + ' and ';
  end;
  if n >= 20 then
  begin
    Result := Result + Tens[n div 10];
    if n mod 10 > 0 then Result := Result + '-' + Ones[n mod 10];
  end
  else if (n > 0) or (Result = '') then
    Result := Result + Ones[n];
end;

function InWords(n: Integer): string;
begin
  if n < 0 then
    Result := 'minus ' + InWords(-n)
  else if n >= 1000000 then
  begin
    Result := Below1000(n div 1000000) + ' million';
    if n mod 1000000 > 0 then Result := Result + ' ' + InWords(n mod 1000000);
  end
  else if n >= 1000 then
  begin
    Result := Below1000(n div 1000) + ' thousand';
    if n mod 1000 > 0 then Result := Result + ' ' + Below1000(n mod 1000);
  end
  else
    Result := Below1000(n);
end;

const
  Samples: array[1..8] of Integer = (0, 7, 13, 40, 99, 105, 2026, -1234567);
var
  i: Integer;
begin
  Result := '';
  for i := 1 to 8 do
    Result := Result + IntToStr(Samples[i]) + ': ' + InWords(Samples[i]) + nl;
end.
