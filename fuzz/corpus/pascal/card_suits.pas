// Cards as records of enumerations: a deck, a fixed shuffle and a hand's value.
type
  TSuit = (Clubs, Diamonds, Hearts, Spades);
  TRank = (Two, Three, Four, Five, Six, Seven, Eight, Nine, Ten, Jack, Queen, King, Ace);
  TCard = record
    Suit: TSuit;
    Rank: TRank;
  end;
const
  SuitChar: array[TSuit] of Char = ('C', 'D', 'H', 'S');
  RankText: array[TRank] of string = ('2', '3', '4', '5', '6', '7', '8', '9', '10', 'J', 'Q', 'K', 'A');
var
  deck: array[0..51] of TCard;
  card: TCard;
  s: TSuit;
  r: TRank;
  i, j, n, points: Integer;
  hand: string;
begin
  n := 0;
  for s := Clubs to Spades do
    for r := Two to Ace do
    begin
      deck[n].Suit := s;
      deck[n].Rank := r;
      Inc(n);
    end;
  // a fixed "shuffle": swap each card with one 17 places further
  for i := 0 to 51 do
  begin
    j := (i * 17 + 5) mod 52;
    card := deck[i];
    deck[i] := deck[j];
    deck[j] := card;
  end;
  hand := '';
  points := 0;
  for i := 0 to 4 do
  begin
    hand := hand + RankText[deck[i].Rank] + SuitChar[deck[i].Suit] + ' ';
    if deck[i].Rank >= Jack then
      Inc(points, 10)
    else
      Inc(points, Ord(deck[i].Rank) + 2);
  end;
  Result := IntToStr(n) + ' cards; hand: ' + hand + '= ' + IntToStr(points) + nl +
    'spades in the top 13: ';
  n := 0;
  for i := 0 to 12 do
    if deck[i].Suit = Spades then Inc(n);
  Result := Result + IntToStr(n);
end.
