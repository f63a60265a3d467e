Name
ann

""
bob
