# L-shaped domain of three unit squares: the strip [0,2]x[0,1] (region ONE)
# and the square [0,1]x[1,2] (region TOP), each cut into 2 x 2 elements per
# unit square. The two regions are generated apart and joined along y=1.
STANDARD
HEAT
GEOMETRY
NODES
GRID
POINT=4,IJ=1,1,5,3
XY,0,0,XY,2,0,XY,2,1,XY,0,1
POINT=4,IJ=1,1,3,3,REGION=TOP
XY,0,1,XY,1,1,XY,1,2,XY,0,2
END
END
ELEMENT
ILOOP=4
JLOOP=2
LINEAR,1,1,REGION=ONE
ENDLOOPS
ILOOP=2
JLOOP=2
LINEAR,1,1,REGION=TOP
ENDLOOPS
END
# Boundaries: 1 bottom, 2 the right-hand sides and the re-entrant corner,
# 3 top, 4 left.
BOUNDARY
REGION=ONE
BOUNDARY=1,IJ=1,1,5,1
BOUNDARY=2,IJ=5,1,5,3
IJ=3,3,5,3
BOUNDARY=4,IJ=1,1,1,3
REGION=TOP
BOUNDARY=2,IJ=3,1,3,3
BOUNDARY=3,IJ=1,3,3,3
BOUNDARY=4,IJ=1,1,1,3
END
END,GRID=LSHAPE
END
END
END
