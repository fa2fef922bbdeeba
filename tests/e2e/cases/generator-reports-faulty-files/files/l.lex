"dog"|N|noun|3|
"x"|N|zork|1|
only one|
"y"|Q|noun|1|
"z"|N|noun ; sing|1|
"quote|N|noun|1|
