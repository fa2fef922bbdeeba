{ english.tag -- tag info for the response analysis (TGINFO). }

{ Field 9 of a lexical entry links a word to related words in tagged groups,
  such as  young: "puppy"  or  opp: "big", "large".  Each tag below names
  such a group and the field that holds it. }

{ A learner who writes a linked word instead of the expected one makes a
  lexical error of that tag.  The first tag is class 5, the next 6, ... }

young ( 9 )     { an animal's young: dog, puppy }
adult ( 9 )     { and back: puppy, dog }
opp   ( 9 )     { an adjective's opposite: big, small }
