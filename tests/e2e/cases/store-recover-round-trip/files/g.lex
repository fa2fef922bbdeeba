"`"|C||1|
"the"|DET|det|1|
"dog"|N|noun, sing|1|
"dogs"|N|noun, plur|1|
"cat"|N|noun, sing|1|
"cats"|N|noun, plur|1|
"barks"|V|verb, sing|1|
"bark"|V|verb, plur|1|
"sleeps"|V|verb, sing|1|
"sleep"|V|verb, plur|1|
"^."|P||1|
