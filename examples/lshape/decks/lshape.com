# L-shaped domain of three unit squares, one element each: the strip
# [0,2]x[0,1] (region ONE, two elements) and the square [0,1]x[1,2] (region
# TOP, one element). The two regions are generated apart and joined along y=1.
STANDARD
HEAT
GEOMETRY
NODES
GRID
POINT=4,IJ=1,1,3,2
XY,0,0,XY,2,0,XY,2,1,XY,0,1
POINT=4,IJ=1,1,2,2,REGION=TOP
XY,0,1,XY,1,1,XY,1,2,XY,0,2
END
END
ELEMENT
ILOOP=2
LINEAR,1,1,REGION=ONE
ENDLOOPS
LINEAR,1,1,REGION=TOP
END
# Every side is on boundary 1, where u = OMEGA is imposed (Dirichlet). The
# two edges at the re-entrant corner must not be Robin or Neumann sides: the
# normal derivative of u grows like r^(-1/3) towards the corner, and a side's
# Lobatto rule evaluates it at the corner itself, where no finite value is
# right. Imposing u alone keeps the discrete problem the intended one.
BOUNDARY
REGION=ONE
BOUNDARY=1,IJ=1,1,3,1
IJ=3,1,3,2
IJ=2,2,3,2
IJ=1,1,1,2
REGION=TOP
IJ=2,1,2,2
IJ=1,2,2,2
IJ=1,1,1,2
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
# The adaptive loop: solve, measure the errors against u, then refine (h)
# and enrich (p) in turn the elements that carry the largest H1 errors.
# Fourteen solves bring the H1 error below 1e-3 of the H1 seminorm of u
# (1.3551). The driver never returns: QUIT ends the run.
EXECUTE
NDIMEN=2
NRBREAKS=0
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
ADAPTP
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
ADAPTP
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
ADAPTP
SOLVE
ERREST
ADAPTH
SOLVE
ERREST
QUIT
