#pragma once
// velmora-cli design and velmora-cli plan.

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

// velmora-cli design --wells W --constituents C --evaluations E [--swfpr A] [--n N] [--j J]
//                    [--format text|json] [--audit]
// `args` follow the word "design". Exit 0; 2 when the calculation refuses its inputs; 64
// for a usage error or a refused design.
int runDesign(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// velmora-cli plan --dcfp D --r R [--rank K] [--test 1:T] [--format text|json]
int runPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
