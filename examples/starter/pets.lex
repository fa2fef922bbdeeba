{ pets.lex -- one word a line: the word, its class, its features, how often }
{ and the morphology rule that makes its forms }
"the"    | DET   | number         | 4 |
"a"      | DET   | sing           | 2 |
"two"    | DET   | plur           | 1 |
"cat"    | N     | number         | 3 | $PLURAL |
"dog"    | N     | number         | 3 | $PLURAL |
"fox"    | N     | number         | 1 | $PLURAL |
"mouse"  | N     | number         | 1 | $IRREGULAR | | "mice" |
"sleep"  | V     | alone, number  | 2 | $PRESENT |
"purr"   | V     | alone, number  | 1 | $PRESENT |
"chase"  | V     | object, number | 2 | $PRESENT |
"watch"  | V     | object, number | 1 | $PRESENT |
"often"  | ADV   |                | 1 |
"loudly" | ADV   |                | 1 |
"`"      | PUNCT | capital        | 1 |
"^."     | PUNCT | stop           | 3 |
"^!"     | PUNCT | exclaim        | 1 |
