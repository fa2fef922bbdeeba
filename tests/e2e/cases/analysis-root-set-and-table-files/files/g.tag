young ( 9 ) old ( x ) adult
