{ english.lex -- the words of the example English grammar, one entry a line. }
{ 1 word, 2 terminal, 3 attributes, 4 frequency, 5 first morphology pass, 6 second pass, }
{ 7 and 8 irregular forms read by the rules of english.mor, 9 indirection pointers, 10 the IPA form (english.ipa). }

{ Nouns.  Countable nouns leave the number open; mass nouns are singular only. }
"man"       | N | noun, countable, number, human, masc, >basic     | 10 | $NOUN_IRR | | "men" |
"woman"     | N | noun, countable, number, human, fem, >basic      | 10 | $NOUN_IRR | | "women" |
"child"     | N | noun, countable, number, human, gender, >basic   | 10 | $NOUN_IRR | | "children" |
"person"    | N | noun, countable, number, human, gender, >basic   |  5 | $NOUN_IRR | | "people" |
"boy"       | N | noun, countable, number, human, masc, >basic     | 10 | $NOUN |
"girl"      | N | noun, countable, number, human, fem, >basic      | 10 | $NOUN |
"baby"      | N | noun, countable, number, human, gender, >basic   |  5 | $NOUN |
"teacher"   | N | noun, countable, number, human, gender, >basic   |  5 | $NOUN |
"king"      | N | noun, countable, number, human, masc, >middle    |  2 | $NOUN |
"queen"     | N | noun, countable, number, human, fem, >middle     |  2 | $NOUN |
"dog"       | N | noun, countable, number, animal, >basic          | 10 | $NOUN | | | | young: "puppy" |
"cat"       | N | noun, countable, number, animal, >basic          | 10 | $NOUN | | | | young: "kitten" |
"horse"     | N | noun, countable, number, animal, >basic          |  5 | $NOUN |
"cow"       | N | noun, countable, number, animal, >basic          |  5 | $NOUN | | | | young: "calf" |
{ sheep and fish keep one form in the plural: no inflection field. }
"sheep"     | N | noun, countable, number, animal, >basic          |  5 | | | | | young: "lamb" |
"fish"      | N | noun, countable, number, animal, >basic          |  5 |
"hen"       | N | noun, countable, number, animal, fem, >middle    |  2 | $NOUN | | | | young: "chick"/N |
"mouse"     | N | noun, countable, number, animal, >basic          |  5 | $NOUN_IRR | | "mice" |
"puppy"     | N | noun, countable, number, animal, >basic          |  2 | $NOUN | | | | adult: "dog" |
"kitten"    | N | noun, countable, number, animal, >basic          |  2 | $NOUN | | | | adult: "cat" |
"lamb"      | N | noun, countable, number, animal, >basic          |  2 | $NOUN | | | | adult: "sheep" |
"calf"      | N | noun, countable, number, animal, >middle         |  2 | $NOUN_F | | | | adult: "cow" |
"chick"     | N | noun, countable, number, animal, >middle         |  1 | $NOUN | | | | adult: "hen" |
"apple"     | N | noun, countable, number, food, >basic            | 10 | $NOUN |
"sandwich"  | N | noun, countable, number, food, >basic            |  5 | $NOUN |
"potato"    | N | noun, countable, number, food, >basic            |  5 | $NOUN_O |
"loaf"      | N | noun, countable, number, food, >middle           |  2 | $NOUN_F |
"rice"      | N | noun, mass, sing, food, >basic                   |  5 | | | | | | "rYs" |
"bread"     | N | noun, mass, sing, food, >basic                   | 10 | | | | | | "bred" |
"cheese"    | N | noun, mass, sing, food, >basic                   |  5 | | | | | | "Ciz" |
"water"     | N | noun, mass, sing, drink, >basic                  | 10 | | | | | | "wOt@" |
"milk"      | N | noun, mass, sing, drink, >basic                  | 10 | | | | | | "mIlk" |
"tea"       | N | noun, mass, sing, drink, >basic                  |  5 | | | | | | "ti" |
"coffee"    | N | noun, mass, sing, drink, >basic                  |  5 | | | | | | "kofi" |
"cocktail"  | N | noun, countable, number, drink, >advanced        |  1 | $NOUN |
"park"      | N | noun, countable, number, place, >basic           | 10 | $NOUN |
"city"      | N | noun, countable, number, place, >basic           |  5 | $NOUN |
"house"     | N | noun, countable, number, place, >basic           | 10 | $NOUN |
"school"    | N | noun, countable, number, place, >basic           | 10 | $NOUN |
"church"    | N | noun, countable, number, place, >middle          |  2 | $NOUN |
"key"       | N | noun, countable, number, thing, >basic           |  5 | $NOUN |
"box"       | N | noun, countable, number, thing, >basic           |  5 | $NOUN |
"knife"     | N | noun, countable, number, thing, >basic           |  5 | $NOUN_F |
"bag"       | N | noun, countable, number, thing, >basic           | 10 | $NOUN |
"furniture" | N | noun, mass, sing, thing, >middle                 |  2 |
"trousers"  | N | noun, countable, plur, thing, >middle            |  1 |
"book"      | N | noun, countable, number, text, >basic            | 10 | $NOUN |
"letter"    | N | noun, countable, number, text, >basic            |  5 | $NOUN |
"newspaper" | N | noun, countable, number, text, >middle           |  5 | $NOUN |
"story"     | N | noun, countable, number, text, >basic            |  5 | $NOUN |
"news"      | N | noun, mass, sing, text, >middle                  |  2 | | | | | | "nuz" |
"tree"      | N | noun, countable, number, plant, >basic           | 10 | $NOUN |
"flower"    | N | noun, countable, number, plant, >basic           |  5 | $NOUN |
"leaf"      | N | noun, countable, number, plant, >basic           |  5 | $NOUN_F |
"grass"     | N | noun, mass, sing, plant, >basic                  |  5 | | | | | | "grAs" |

{ Proper names. }
"Anna"      | NAME | propn, sing, human, fem, >basic    | 5 |
"Maria"     | NAME | propn, sing, human, fem, >basic    | 5 |
"Tom"       | NAME | propn, sing, human, masc, >basic   | 5 |
"Peter"     | NAME | propn, sing, human, masc, >basic   | 5 |
"Rex"       | NAME | propn, sing, animal, masc, >basic  | 2 |
"London"    | NAME | propn, sing, place, >basic         | 5 |
"Paris"     | NAME | propn, sing, place, >basic         | 5 |
"Rome"      | NAME | propn, sing, place, >basic         | 2 |

{ Lexical verbs.  Number, person, tense and form are left open: the leaf that uses the verb fixes them. }
"walk"      | V | verb, intrans, subj.human, subj.animal, number, person, tense, vform, >basic   | 10 | $VERB |
"run"       | V | verb, intrans, subj.human, subj.animal, number, person, tense, vform, >basic   | 10 | $VIRR_DBL | | "ran" | "run" |
"sleep"     | V | verb, intrans, subj.human, subj.animal, number, person, tense, vform, >basic   | 10 | $VERB_IRR | | "slept" | "slept" |
"swim"      | V | verb, intrans, subj.human, subj.animal, number, person, tense, vform, >basic   |  5 | $VIRR_DBL | | "swam" | "swum" |
"sing"      | V | verb, intrans, subj.human, number, person, tense, vform, >basic                |  5 | $VERB_IRR | | "sang" | "sung" |
"laugh"     | V | verb, intrans, subj.human, number, person, tense, vform, >basic                |  5 | $VERB |
"cry"       | V | verb, intrans, subj.human, number, person, tense, vform, >basic                |  5 | $VERB |
"bark"      | V | verb, intrans, subj.animal, number, person, tense, vform, >basic               |  5 | $VERB |
"arrive"    | V | verb, intrans, subj.human, number, person, tense, vform, >middle               |  5 | $VERB |
"go"        | V | verb, intrans, subj.human, subj.animal, number, person, tense, vform, >basic   | 10 | $VERB_IRR | | "went" | "gone" |
"stop"      | V | verb, intrans, subj.human, subj.animal, number, person, tense, vform, >basic   |  5 | $VERB_DBL |
"eat"       | V | verb, trans, subj.human, subj.animal, obj.food, number, person, tense, vform, >basic  | 10 | $VERB_IRR | | "ate" | "eaten" |
"drink"     | V | verb, trans, subj.human, subj.animal, obj.drink, number, person, tense, vform, >basic | 10 | $VERB_IRR | | "drank" | "drunk" |
"cook"      | V | verb, trans, subj.human, obj.food, number, person, tense, vform, >basic         |  5 | $VERB |
"read"      | V | verb, trans, subj.human, obj.text, number, person, tense, vform, >basic         | 10 | $VERB_IRR | | "read" | "read" |
"write"     | V | verb, trans, subj.human, obj.text, number, person, tense, vform, >basic         |  5 | $VERB_IRR | | "wrote" | "written" |
"see"       | V | verb, stative, trans, subj.human, subj.animal, obj.sem, number, person, tense, vform, >basic   | 10 | $VERB_IRR | | "saw" | "seen" |
"like"      | V | verb, stative, trans, subj.human, subj.animal, obj.sem, number, person, tense, vform, >basic   | 10 | $VERB |
"want"      | V | verb, stative, trans, subj.human, subj.animal, obj.sem, number, person, tense, vform, >basic   |  5 | $VERB |
"visit"     | V | verb, trans, subj.human, obj.place, number, person, tense, vform, >basic        |  5 | $VERB |
"carry"     | V | verb, trans, subj.human, obj.thing, obj.animal, number, person, tense, vform, >basic  |  5 | $VERB |
"buy"       | V | verb, trans, subj.human, obj.thing, obj.food, obj.drink, number, person, tense, vform, >basic | 5 | $VERB_IRR | | "bought" | "bought" |
"find"      | V | verb, trans, subj.human, subj.animal, obj.sem, number, person, tense, vform, >basic   |  5 | $VERB_IRR | | "found" | "found" |
"watch"     | V | verb, trans, subj.human, subj.animal, obj.animal, obj.human, number, person, tense, vform, >basic | 5 | $VERB |
"chase"     | V | verb, trans, subj.animal, obj.animal, obj.human, number, person, tense, vform, >middle | 2 | $VERB |
"study"     | V | verb, trans, subj.human, obj.text, number, person, tense, vform, >middle        |  2 | $VERB |
"drop"      | V | verb, trans, subj.human, obj.thing, obj.food, number, person, tense, vform, >middle   |  2 | $VERB_DBL |
"give"      | V | verb, ditrans, subj.human, obj.thing, obj.food, number, person, tense, vform, >basic  | 10 | $VERB_IRR | | "gave" | "given" |
"send"      | V | verb, ditrans, subj.human, obj.text, number, person, tense, vform, >basic       |  5 | $VERB_IRR | | "sent" | "sent" |
"show"      | V | verb, ditrans, subj.human, obj.sem, number, person, tense, vform, >basic        |  5 | $VERB_IRR | | "showed" | "shown" |
"bring"     | V | verb, ditrans, subj.human, obj.food, obj.drink, obj.thing, number, person, tense, vform, >basic | 5 | $VERB_IRR | | "brought" | "brought" |
"become"    | V | verb, linking, subj.human, subj.animal, number, person, tense, vform, >middle   |  2 | $VERB_IRR | | "became" | "become" |
"seem"      | V | verb, stative, linking, subj.human, subj.animal, number, person, tense, vform, >middle   |  2 | $VERB |

{ Auxiliaries and modals. }
"will"      | AUX | aux, modal, fut                              | 10 | | | | | | "wIl" |
"shall"     | AUX | aux, modal, fut                              |  1 | | | | | | "Sal" |
"can"       | AUX | aux, modal, pres                             |  5 |
"could"     | AUX | aux, modal, past                             |  2 |
"must"      | AUX | aux, modal, pres                             |  2 |
"be"        | AUX | aux, progressive, number, person, tense      | 10 | $BE |
"have"      | AUX | aux, perfective, number, person, tense       | 10 | $HAVE |
"do"        | AUX | aux, support, number, person, tense          |  2 | $VERB_IRR | | "did" | "done" |

{ Adjectives.  "<superlative": every degree can be asked for; a bare "positive": not gradable. }
"big"         | ADJ | adj, <superlative, sem, >basic                      | 10 | $GRADE_DBL | | | | opp: "small" |
"small"       | ADJ | adj, <superlative, sem, >basic                      | 10 | $GRADE | | | | opp: "big", "large" |
"large"       | ADJ | adj, <superlative, sem, >basic                      |  5 | $GRADE | | | | opp: "small" |
"little"      | ADJ | adj, positive, sem, >basic                          |  5 |
"old"         | ADJ | adj, <superlative, sem, >basic                      | 10 | $GRADE | | | | opp: "young", "new" |
"young"       | ADJ | adj, <superlative, human, animal, plant, >basic     |  5 | $GRADE | | | | opp: "old" |
"new"         | ADJ | adj, <superlative, thing, text, place, >basic       |  5 | $GRADE | | | | opp: "old" |
"good"        | ADJ | adj, <superlative, sem, >basic                      | 10 | $GRADE_IRR | | "better" | "best" | opp: "bad" |
"bad"         | ADJ | adj, <superlative, sem, >basic                      |  5 | $GRADE_IRR | | "worse" | "worst" | opp: "good" |
"happy"       | ADJ | adj, <superlative, human, animal, >basic            | 10 | $GRADE |
"hungry"      | ADJ | adj, <superlative, human, animal, >basic            |  5 | $GRADE |
"hot"         | ADJ | adj, <superlative, food, drink, place, >basic       |  5 | $GRADE_DBL |
"cold"        | ADJ | adj, <superlative, food, drink, place, >basic       |  5 | $GRADE |
"fresh"       | ADJ | adj, <superlative, food, drink, plant, >middle      |  2 | $GRADE |
"red"         | ADJ | adj, <superlative, thing, plant, food, >basic       |  5 | $GRADE_DBL |
"quiet"       | ADJ | adj, <superlative, human, animal, place, >middle    |  2 | $GRADE |
"beautiful"   | ADJ | adj, <superlative, human, animal, place, plant, >middle | 5 | $GRADE_MORE |
"interesting" | ADJ | adj, <superlative, human, text, place, >middle      |  5 | $GRADE_MORE |
"expensive"   | ADJ | adj, <superlative, thing, food, drink, >advanced    |  2 | $GRADE_MORE |
"wooden"      | ADJ | adj, positive, thing, >middle                       |  2 |

{ Adverbs.  Time adverbs agree with the tense of their clause. }
"quickly"   | ADV | adv, manner, <superlative, >basic       | 10 | $GRADE_MORE |
"slowly"    | ADV | adv, manner, <superlative, >basic       | 10 | $GRADE_MORE |
"carefully" | ADV | adv, manner, <superlative, >middle      |  2 | $GRADE_MORE |
"fast"      | ADV | adv, manner, <superlative, >basic       |  5 | $GRADE |
"well"      | ADV | adv, manner, <superlative, >basic       |  5 | $GRADE_IRR | | "better" | "best" |
"badly"     | ADV | adv, manner, <superlative, >middle      |  2 | $GRADE_IRR | | "worse" | "worst" |
"yesterday" | ADV | adv, temporal, past, >basic             |  5 | | | | | | "jest@dE" |
"recently"  | ADV | adv, temporal, past, >middle            |  2 | | | | | | "ris@ntli" |
"now"       | ADV | adv, temporal, pres, >basic             |  5 | | | | | | "nW" |
"tomorrow"  | ADV | adv, temporal, fut, >basic              |  5 | | | | | | "t@morQ" |
"soon"      | ADV | adv, temporal, fut, >basic              |  2 | | | | | | "sun" |
"today"     | ADV | adv, temporal, tense, >basic            |  5 | | | | | | "t@dE" |
"very"      | ADV | adv, intensifier, >basic                | 10 |
"quite"     | ADV | adv, intensifier, >basic                |  5 |
"extremely" | ADV | adv, intensifier, >advanced             |  1 |
"often"     | ADV | adv, habitual, >basic                   |  5 |
"always"    | ADV | adv, habitual, >basic                   |  5 |
"never"     | ADV | adv, habitual, >basic                   |  2 |

{ Determiners.  "a" turns into "an" in the second pass, before a vowel sound. }
"the"       | DET | det, definite, number, count                | 20 | | | | | | "D@" |
"a"         | DET | det, indefinite, sing, countable            | 20 | | $A_AN |
{ "an" is only ever made from "a": frequency 0 keeps it out of the choice. }
"an"        | DET | det, indefinite, sing, countable            |  0 |
"some"      | DET | det, indefinite, plur, countable            |  5 | | | | | | "sVm" |
"some"      | DET | det, indefinite, sing, mass                 |  5 | | | | | | "sVm" |
"this"      | DET | det, definite, sing, count                  |  5 | | | | | | "DIs" |
"that"      | DET | det, definite, sing, count                  |  5 | | | | | | "Dat" |
"these"     | DET | det, definite, plur, countable              |  5 | | | | | | "Diz" |
"those"     | DET | det, definite, plur, countable              |  2 | | | | | | "DQz" |
"every"     | DET | det, indefinite, sing, countable            |  2 | | | | | | "ev@ri" |
"many"      | DET | det, indefinite, plur, countable            |  2 | | | | | | "meni" |
"much"      | DET | det, indefinite, sing, mass                 |  1 | | | | | | "mVC" |
"no"        | DET | det, indefinite, number, count              |  1 | | | | | | "nQ" |
"my"        | DET | det, definite, poss, first, number, count   |  5 | | | | | | "mY" |
"your"      | DET | det, definite, poss, second, number, count  |  5 | | | | | | "jO" |
"his"       | DET | det, definite, poss, third, masc, number, count  | 5 | | | | | | "hIz" |
"her"       | DET | det, definite, poss, third, fem, number, count   | 5 | | | | | | "h3" |
"their"     | DET | det, definite, poss, third, number, count   |  2 | | | | | | "DR" |

{ Numerals. }
"one"       | NUM | num, sing, countable   | 5 |
"two"       | NUM | num, plur, countable   | 5 |
"three"     | NUM | num, plur, countable   | 5 |
"four"      | NUM | num, plur, countable   | 2 |
"five"      | NUM | num, plur, countable   | 2 |
"ten"       | NUM | num, plur, countable   | 1 |

{ Pronouns.  "it" stands for every kind of noun but the human ones. }
"I"          | PRO | pron, first, sing, nom, human, gender             | 10 |
"me"         | PRO | pron, first, sing, acc, human, gender             |  5 |
"you"        | PRO | pron, second, number, nom, acc, human, gender     | 10 |
"he"         | PRO | pron, third, sing, nom, human, masc               | 10 |
"him"        | PRO | pron, third, sing, acc, human, masc               |  5 |
"she"        | PRO | pron, third, sing, nom, human, fem                | 10 |
"her"        | PRO | pron, third, sing, acc, human, fem                |  5 |
"it"         | PRO | pron, third, sing, nom, acc, neut, animal, food, drink, place, thing, text, plant | 10 |
"we"         | PRO | pron, first, plur, nom, human, gender             |  5 |
"us"         | PRO | pron, first, plur, acc, human, gender             |  2 |
"they"       | PRO | pron, third, plur, nom, sem, gender               | 10 |
"them"       | PRO | pron, third, plur, acc, sem, gender               |  5 |
"mine"       | PRO | pron, first, sing, poss, sem                      |  1 |
"yours"      | PRO | pron, second, number, poss, sem                   |  1 |
"hers"       | PRO | pron, third, sing, poss, sem                      |  1 |
"ours"       | PRO | pron, first, plur, poss, sem                      |  1 |
"myself"     | PRO | pron, first, sing, reflex, human, gender          |  1 |
"himself"    | PRO | pron, third, sing, reflex, human, masc            |  1 |
"herself"    | PRO | pron, third, sing, reflex, human, fem             |  1 |
"themselves" | PRO | pron, third, plur, reflex, sem, gender            |  1 |
{ Old forms: known to the lexicon, never generated. }
"thou"       | PRO | pron, second, sing, nom, human, gender, >advanced | 0 |
"thee"       | PRO | pron, second, sing, acc, human, gender, >advanced | 0 |

{ Prepositions. }
"in"        | PREP | prep, locative, timing    | 10 |
"on"        | PREP | prep, locative, timing    | 10 |
"at"        | PREP | prep, locative, timing    |  5 |
"under"     | PREP | prep, locative            |  5 |
"near"      | PREP | prep, locative            |  5 |
"behind"    | PREP | prep, locative            |  2 |
"into"      | PREP | prep, motion              |  5 |
"to"        | PREP | prep, motion              | 10 |
"from"      | PREP | prep, motion              |  5 |
"with"      | PREP | prep, company             | 10 |
"after"     | PREP | prep, timing              |  2 |
"before"    | PREP | prep, timing              |  2 |

{ Conjunctions. }
"and"       | CONJ | conj, coord               | 10 |
"or"        | CONJ | conj, coord               |  5 |
"but"       | CONJ | conj, coord               |  5 |
"because"   | CONJ | conj, subord              |  2 |
"while"     | CONJ | conj, subord              |  2 |
"although"  | CONJ | conj, subord, >advanced   |  1 |

{ Marks.  The backquote makes the next word start with a capital; the caret joins a mark to the word before it. }
"`"         | PUNCT | punct, capital           | 10 |
"^."        | PUNCT | punct, stop              | 10 |
"^?"        | PUNCT | punct, query             |  5 |
"^!"        | PUNCT | punct, exclaim           |  2 |
"^,"        | PUNCT | punct, pause             |  5 |

{ An inline transformation: the entry holds an LSP (after _lsp_: word, terminal, attributes, restrictions of fields 4 and 5) }
{ and a right side (after _rhs_).  A lookup that selects it looks up a countable noun of the class $NOUN for the LSP }
{ and takes the right side's result as its entry: that noun's regular plural. }
_ilt_ | NDER | noun, plur | 1 | _lsp_ ? | N | noun, countable | ? | $NOUN _rhs_ [$S3] | N | plur, !3-number | !4 | | |
