Num: #1/3/j Flag: #2/1/b
