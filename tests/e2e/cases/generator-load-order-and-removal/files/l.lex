"a"|N|noun|1|
