#include "config/GlycolTable.h"

#include <cstdio>

namespace brennic {

GlycolTable BuiltInGlycolTable() {
    GlycolTable t;
    t.mix[0] = {"Fixed", 0, 100, false, {1.0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    t.mix[1] = {"Water",
                0,
                100,
                false,
                {1.00846082605449, -0.000130827537311931, 0, -5.05653004292612e-07, 0,
                 7.52796573185893e-10, 0, 0, 0, 0}};
    t.mix[2] = {
        "NOBURST",
        5,
        100,
        false,
        {0.998487864505372, -3.08576999264466e-05, -0.000830506742558626, -4.58637906814577e-07,
         -1.53415163585542e-05, -5.06217068815715e-10, -9.80580006422746e-09, 6.05691122273551e-06,
         -3.12841629382032e-09, -3.10916577184437e-09}};
    t.mix[3] = {
        "NOBURST HD",
        5,
        70,
        false,
        {1.00305372676594, -6.9464774811945e-05, -0.00123917417359071, -4.13796745334333e-07,
         -4.0165294126195e-05, -1.77611890404934e-10, -7.93141494938579e-08, 8.35205170706765e-06,
         -6.50274543157459e-09, 5.32946745711582e-08}};
    t.mix[4] = {
        "DOWFROST",
        5,
        90,
        true,
        {0.992145637959193, 8.16558410099239e-05, -0.000872019205676482, -9.23697953708104e-07,
         -3.40421671185531e-05, -4.77698524413161e-11, -3.3514803417313e-08, 4.95452067625042e-06,
         3.7683902119808e-09, 1.69361224810468e-08}};
    t.mix[5] = {
        "DOWFROST-HD",
        5,
        70,
        true,
        {1.00319890077266, -6.98670880966605e-05, -0.00124304152932955, -4.10365700150978e-07,
         -3.99279967879901e-05, -1.86270561746142e-10, -8.22798607802777e-08, 8.31112237212867e-06,
         -6.49912514298115e-09, 5.39512523691525e-08}};
    t.count = kGlycolBuiltIns;
    return t;
}

void LoadGlycolTable(GlycolTable& table, const std::string& path) {
    table = BuiltInGlycolTable();
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) {
        return;
    }
    while (table.count < kGlycolCapacity) {
        char name[33] = {};
        int minPercent = 0;
        int maxPercent = 0;
        std::array<double, 10> c{};
        const int n = std::fscanf(f, "%32s %d %d %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf", name,
                                  &minPercent, &maxPercent, &c[0], &c[1], &c[2], &c[3], &c[4],
                                  &c[5], &c[6], &c[7], &c[8], &c[9]);
        if (n != 13) {
            break;
        }
        GlycolMix& m = table.mix[static_cast<std::size_t>(table.count)];
        m.name = name;
        m.minPercent = minPercent;
        m.maxPercent = maxPercent;
        m.flag = false;
        m.coef = c;
        ++table.count;
    }
    std::fclose(f);
}

double HeatFactor(const GlycolTable& table, double tempA, double tempB, unsigned index,
                  int percent) {
    if (index >= static_cast<unsigned>(table.count)) {
        return 1.0;
    }
    const auto& c = table.mix[index].coef;
    const double t = (tempA + tempB) * 0.5;
    const double p = static_cast<double>(percent);
    // The nesting fixes the order of the floating-point operations.
    const double q = t * (c[8] * t + c[9] * p) + p * (c[4] + c[6] * p) + c[2];
    const double r = t * (c[3] + c[5] * t) + c[7] * p + c[1];
    return (t * r + p * q) + c[0];
}

}  // namespace brennic
