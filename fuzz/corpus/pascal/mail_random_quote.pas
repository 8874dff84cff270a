// A "random" quote for the signature, chosen from the subject so that a message keeps its quote.
const
  Quotes: array[0..4] of string = (
    'Simplicity is prerequisite for reliability.',
    'Premature optimization is the root of all evil.',
    'Talk is cheap. Show me the code.',
    'Programs must be written for people to read.',
    'There is no place like 127.0.0.1');

function Pick(const key: string): Integer;
var
  i: Integer;
  h: Cardinal;
begin
  h := 5381;
  for i := 1 to Length(key) do
    h := (h * 33 + Ord(key[i])) mod 1000003;
  Result := h mod Cardinal(Length(Quotes));
end;

const
  Subjects: array[1..4] of string = ('Meeting on Friday', 'Re: invoice 2026-118', 'Hello', '');
var
  i: Integer;
begin
  Result := '';
  for i := 1 to 4 do
    Result := Result + '[' + Subjects[i] + '] -- ' + Quotes[Pick(Subjects[i])] + nl;
end.
