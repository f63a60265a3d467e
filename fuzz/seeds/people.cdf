€Name,Born@D,Amt@N*,Mr@O,Mrs@O,Vip@C,At@M,Tags@G
"Ann, ""A""",19991231,12.34,1,0,1,0930,a;b;
