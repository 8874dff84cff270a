program Seeds(input, output);
type
  TColor = (Red, Green, Blue);
  TPoint = record X, Y: Integer; Tags: array[0..1] of string; end;
  TGrid = array[1..3, 'a'..'c'] of Integer;
  TList = array of array of Integer;
  TChars = set of Char;
  TSmall = 1..10;
  EMine = class(Exception);
  EChild = class(EMine) end;
const
  Names: array[0..2] of string = ('x', 'y', 'z');
  Origin: TPoint = (X: 0; Y: 0; Tags: ('a', 'b'));
  N = Ord(High(TColor)) + 1;
var
  p, q: TPoint; g: TGrid; l: TList; cs: TChars; c: Char; col: TColor; s: string[10];
  i: Integer; Result: string;
function Sum(const A: array of Integer): Integer; forward;
function Sum(const A: array of Integer): Integer;
var x: Integer;
  procedure Add(v: Integer); begin Result := Result + v end;
begin
  Result := 0;
  for x in A do Add(x);
end;
begin
  p := Origin; q := p; q.Tags[1] := 'c';
  with p do begin X := 1; Y := High(TSmall); end;
  g[2, 'b'] := 5;
  SetLength(l, 2, 3); l[1][2] := 7;
  cs := ['a'..'f', 'z'] - ['b'];
  Include(cs, 'q');
  for c in cs do s := s + c;
  for col := Low(TColor) to High(TColor) do Inc(i, Ord(col));
  case s[1] of 'a'..'c', 'x': Inc(i); else Dec(i) end;
  try
    raise EChild.CreateFmt('%d %s', [Sum([1, 2, 3]), Names[1]]);
  except
    on E: EMine do Result := E.ClassName + E.Message + ExceptObject.Message;
  end;
  Result := Result + Format('%d', [Length(l[1])]) + StringReplace(s, 'A', '-', [rfReplaceAll, rfIgnoreCase]);
end.
