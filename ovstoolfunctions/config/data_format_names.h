// The data formats that the settings object numbers and the current-user "DataFormat" key names, in
// the order in which they are written and cached.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ovs::settings {

struct DataFormatName {
    LONG number;
    const char* name;
};

inline constexpr DataFormatName kDataFormatNames[] = {
    {1001, "R.Time"},
    {1002, "Conc."},
    {1003, "Conc.%"},
    {1004, "Nrom Conc"},
    {1005, "Area"},
    {1006, "Area%"},
    {1007, "Area Ratio"},
    {1008, "Height"},
    {1009, "Height%"},
    {1010, "Height Ratio"},
    {1011, "A/H"},
    {1012, "T.Plate#"},
    {1013, "HETP"},
    {1014, "T.Plate/meter"},
    {1015, "Tailing F."},
    {1016, "Resolution"},
    {1017, "k'"},
    {1018, "Separation"},
    {1043, "Peak Valley"},
    {1019, "Width"},
    {1020, "Relative RT"},
    {1021, "Current RF"},
    {1022, "Formula"},
    {1023, "Cubic"},
    {1024, "Quadratic"},
    {1025, "Primary"},
    {1026, "Intercept"},
    {1027, "CC"},
    {1028, "Contributionr"},
    {1029, "ResidualSS"},
    {1030, "MeanRF"},
    {1031, "RFSD"},
    {1032, "RFRSD"},
    {1033, "SNRATIO"},
    {1034, "NOISE"},
    {1035, "DRIFT"},
    {1036, "DetectLimit"},
    {1037, "QuantLimit"},
    {1038, "ErrorPercent"},
    {1039, "AccuracyPercent"},
    {1040, "Error"},
    {1041, "Diff"},
    {1042, "Recovery"},
    {1044, "Custom1"},
    {1045, "Custom2"},
    {1046, "Custom3"},
    {1047, "Custom4"},
    {1048, "Custom5"},
    {1049, "Custom6"},
    {1050, "Custom7"},
    {1051, "Custom8"},
    {1052, "Custom9"},
    {1053, "Custom10"},
    {1101, "GPCFormura"},
    {1102, "GPCCC"},
    {1103, "GPCContribution"},
    {1104, "GPCDispersion"},
    {1105, "GPCErrorPercent"},
    {1106, "GPCPolydispersity"},
    {1107, "GPCViscosity"},
};

inline constexpr size_t kDataFormatCount = sizeof kDataFormatNames / sizeof kDataFormatNames[0];
static_assert(kDataFormatCount == 60);

inline constexpr char kDataFormatKey[] = "DataFormat";
inline constexpr char kOptionKey[] = "Option";
inline constexpr char kAHFormatModeValue[] = "AH Format Mode";
inline constexpr char kTotalModeValue[] = "Total Mode";
inline constexpr char kDilutionFactorValue[] = "DilutionFactor";
inline constexpr char kDefaultXAxisCalibCurveValue[] = "DefaultXAxisCalibCurve";

} // namespace ovs::settings
