Dear #2 #1,
You owe #3`00 pounds.

