#pragma once
// Attribute readers and writers: the one encoding of values in every XML file.
//
// Readers give the default for a missing node, a missing attribute or text that does not
// convert (text that does not convert is also said on the warning channel); they ask the node with the default in its written form, so a node that stands
// for another (a replacement overlay) sees the default itself. Writers with Force set the
// attribute; without it they change only an attribute that holds another value, so an
// absent attribute stays absent. Numbers are read and written the same under every locale.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/PersistenceService.h"
#include "foundation/Variant.h"

std::string ReadXmlStr(const Ref<IHierStorage>& node, std::string_view name,
                       const std::string& def = {});
void WriteXmlStr(const Ref<IHierStorage>& node, std::string_view name, const std::string& value,
                 bool force = false);
// ReadXmlStr, then TranslateText: texts the player sees.
std::string ReadXmlText(const Ref<IHierStorage>& node, std::string_view name,
                        const std::string& def = {});
// "yes"/"no"; "-1" reads as yes and "0" as no. Anything else gives the default.
bool ReadXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool def = false);
void WriteXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool value,
                  bool force = false);
// Decimal, or hexadecimal after "$" (or "0x").
int32_t ReadXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t def = 0);
void WriteXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t value,
                 bool force = false);
// Colours 0xAARRGGBB: written "$AARRGGBB", read as ReadXmlInt reads.
uint32_t ReadXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t def = 0);
void WriteXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t value,
                 bool force = false);
// "," reads as "."; written with "." rounded to FloatPrecision.
double ReadXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double def = 0);
void WriteXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double value,
                   bool force = false);
// The index of the attribute's text among the "/"-separated names of List.
int ReadXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                int def = 0);
void WriteXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                  bool force, int index);

// Text or number to a colour, as colour properties are set: text that does not read as
// a number ("$" hexadecimal included) and values that are no number give 0.
uint32_t ColorFromVariant(const Variant& value);

// Says on the warning channel, naming the node's file, what was dropped from the node's
// element: 'widget "title": What'.
void WarnAboutNode(const Ref<IHierStorage>& node, std::string_view what);

// The text conversions behind them.
std::string CommaToPoint(std::string_view text);
// Rounded to the nearest multiple of FloatPrecision (ties to even), up to 15 significant
// digits, "." as the decimal point: 0.333 gives "0.33" at precision 0.01, 2.0 gives "2".
std::string FormatFloatValue(double value);
bool TryTextToInt(std::string_view text, int32_t& value);
bool TryTextToFloat(std::string_view text, double& value);
