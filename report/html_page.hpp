// The report as one HTML page: inline CSS and SVG, no fetch from the network
// and no external script (a few lines inline sort the tables when a header is
// clicked); readable in a browser window and printable. Sections: the data
// (with the column mapping), the model table, the tests and the verdict, the
// selected model's estimates with their profile plots, each genotype's risk by
// age (with ages at onset), the family ranking and the pedigree drawings.
#pragma once

#include <string>

#include "report/report_input.hpp"

namespace kinseg::report {

std::string html_page(const ReportInput& input);

}  // namespace kinseg::report
