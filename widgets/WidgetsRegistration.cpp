#include "widgets/WidgetsRegistration.h"

#include "widgets/ParticleSystems.h"
#include "widgets/ParticleSystemsFunction.h"
#include "widgets/ParticleSystemsMulti.h"
#include "widgets/ResourceWidgets.h"
#include "widgets/TextWidget.h"

void RegisterWidgetsClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TImageWidget>("image_widget");
  RegisterClassName<TBlinkWidget>("blink_widget");
  RegisterClassName<TAnimationWidget>("animation_widget");
  RegisterClassName<TTextWidget>("text_widget");
  RegisterClassName<TSoundWidget>("sound_widget");
  RegisterClassName<TSequenceAnimationWidget>("sequence_animation_widget");
  RegisterClassName<TStochasticParticleSystem>("stochastic_particle_system");
  RegisterClassName<TMonteCarloParticleSystem>("montecarlo_particle_system");
  RegisterClassName<TFunctionParticleSystem>("function_particle_system");
  RegisterClassName<TMultiParticleSystem>("multi_particle_system");
}
