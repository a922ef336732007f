#include "functions/FunctionRegistration.h"

#include "foundation/GeneralClasses.h"
#include "functions/FunctionClasses.h"
#include "functions/PathFunctionClasses.h"

void RegisterFunctionsClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  // Functions.
  RegisterClassName<TComplexFunction>("function_complex");
  RegisterClassName<TFuncSelectorFunction>("function_selector");
  RegisterClassName<TFuncSelectorFunction>("function_selector_func");
  RegisterClassName<TConstSelectorFunction>("function_selector_const");
  RegisterClassName<TSinFunction>("function_sin");
  RegisterClassName<TPolinom2Function>("function_polinom2");
  RegisterClassName<TSumFunction>("function_sum");
  RegisterClassName<TSubstrFunction>("function_substr");
  RegisterClassName<TMultiplyFunction>("function_multiply");
  RegisterClassName<TDivisionFunction>("function_division");
  RegisterClassName<TArithmeticFunction>("function_arithmetic");
  RegisterClassName<TEvalFunction>("function_eval");
  RegisterClassName<TRandomFunction>("function_random");
  RegisterClassName<TIntRandomFunction>("function_int_random");
  RegisterClassName<TSwitchFunction>("function_switch");
  RegisterClassName<TIntervalFunction>("function_interval");
  RegisterClassName<TPiecewiseLinearInterpolationFunction>("function_piecewise");
  RegisterClassName<TLinearSegmentFunction>("function_linear_segment");
  RegisterClassName<TMonteCarloFunction>("function_montecarlo");
  // Paths.
  RegisterClassName<TBezierPathFunction>("path_bezier");
  RegisterClassName<TSegmentPathFunction>("path_segment");
  RegisterClassName<TArcPathFunction>("path_arc");
  RegisterClassName<TAccelerateSegmentPathFunction>("path_segment_accelerate");
  RegisterClassName<TCompositePathFunction>("path_composite");
  RegisterClassName<TArbitraryPathFunction>("path_arbitrary");
}
