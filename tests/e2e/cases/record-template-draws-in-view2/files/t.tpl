Name: #1/20/c
