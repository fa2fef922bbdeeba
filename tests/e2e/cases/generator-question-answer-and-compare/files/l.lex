"dog"|N|noun, sing|1|
"dogs"|N|noun, plur|1|
"barks"|V|verb, sing|1|
"bark"|V|verb, plur|1|
"does"|Q|aux, sing|1|
"do"|Q|aux, plur|1|
"yes,"|A||1|
