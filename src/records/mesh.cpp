// The one definition of the mesh database and generator records.
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren {

Cdata cdata;
Cpoint cpoint;
Celem celem;
Ctree ctree;
Cneig cneig;
Cnode cnode;
Cnu cnu;
Icolu icolu;
Cuold cuold;
Cunew cunew;
Ceqsys ceqsys;
Csymet csymet;
Cdec cdec;
Cside cside;

Cnodet cnodet;
Ccon ccon;
Ccon2 ccon2;
Idfc idfc;
Elemij elemij;
Cregio cregio;
Csetf csetf;
Cprofi cprofi;
Cbcons cbcons;
Cbcons1 cbcons1;
Cbcons2 cbcons2;
Celem0 celem0;
Cgeomtyp cgeomtyp;
X1 x1;
Noeud noeud;
SplineStatus tb06b;
SplineStatus tg04b;

}  // namespace kavren
