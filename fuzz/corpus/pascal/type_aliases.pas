// The type section: aliases, subranges, enumerations with their bounds.
type
  TName = string;
  TScore = Integer;
  TDigit = 0..9;
  TLetter = 'A'..'Z';
  TLevel = (Low_, Medium, High_);
  TUrgent = Medium..High_;
  TScores = array[1..3] of TScore;
var
  name: TName;
  digit: TDigit;
  letter: TLetter;
  level: TUrgent;
  scores: TScores;
  i: Integer;
begin
  name := 'digits';
  Result := name + ':';
  for digit := Low(TDigit) to High(TDigit) do
    if digit mod 3 = 0 then Result := Result + ' ' + IntToStr(digit);
  Result := Result + nl + 'letters:';
  for letter := 'V' to High(TLetter) do
    Result := Result + ' ' + letter;
  level := High(TUrgent);
  Result := Result + nl + 'urgent from ' + IntToStr(Ord(Low(TUrgent))) + ' to ' + IntToStr(Ord(level));
  for i := 1 to 3 do scores[i] := i * 10;
  Result := Result + nl + IntToStr(scores[1] + scores[2] + scores[3]) + ' ' +
    IntToStr(Ord(High(TLetter)) - Ord(Low(TLetter)) + 1);
end.
