#include "foundation/GeneralClasses.h"

void TAbstractObject::ApplyParams(const std::string& params) {
  (void)params;  // Parameter strings arrive with the parameter-string routines.
}
