// Point values of a stored solution on one element: the four components of
// the new solution UNEW (nfesol, nfesol1) or the old one UOLD (ofesol,
// ofesol1) at a master point, with their x- and y-derivatives for the
// variants ending in 1.
#pragma once

namespace kavren {

void nfesol(int nel, double xi, double eta, double* u);
void nfesol1(int nel, double xi, double eta, double& x, double& y, double* u, double* dudx,
             double* dudy);
void ofesol(int nel, double xi, double eta, double* u);
void ofesol1(int nel, double xi, double eta, double& x, double& y, double* u, double* dudx,
             double* dudy);

}  // namespace kavren
