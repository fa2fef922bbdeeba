"the"|DET|det|1|
"dog"|N|noun, number|1|$N||||young: "puppy"|
"puppy"|N|noun, number|0|$N|
"bark"|V|verb, number, person, tense|1|$V|
