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
# The exact solution u = r^(2/3) sin(2t/3) about the re-entrant corner (1,1),
# t measured from the edge x = 1, y > 1: zero on the two edges at the corner,
# harmonic (so the second derivatives are 0). The angle is written with ACOS,
# and every sum is parenthesised ("+" binds tighter than "-").
%
DX=X-1
DY=Y-1
R=SQRT((DX*DX)+(DY*DY))
RS=(R>0)?R:1
C=MAX(-1,MIN(1,DX/RS))
PHI=(DY>0)?ACOS(C):((2*3.141592653589793)-ACOS(C))
T=PHI-(3.141592653589793/2)
A=2/3
OMEGA=(R^A)*SIN(A*T)
G=(A*(R^A))/RS
OMEGAX=G*SIN((A*T)-PHI)
OMEGAY=G*COS((A*T)-PHI)
OMEGAXX=0
OMEGAYY=0
OMEGAXY=0
%
# A short adaptive loop: solve, measure the errors against u, refine (h) or
# enrich (p) the elements with the largest H1 errors. The driver never
# returns: QUIT ends the run.
EXECUTE
NDIMEN=2
NRBREAKS=0
SOLVE
ERREST
ADAPTH
SOLVE
ERREST
ADAPTH
SOLVE
ERREST
ADAPTP
SOLVE
ERREST
ADAPTH
SOLVE
ERREST
QUIT
