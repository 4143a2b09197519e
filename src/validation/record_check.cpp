#include "record_check.h"

#include <algorithm>

namespace
{

RecordProblem::Damage damage_of(RecordStatus status, bool truncated)
{
    using Damage = RecordProblem::Damage;
    switch (status) {
    case RecordStatus::TooShort:
        return truncated ? Damage::TooLarge : Damage::TooShort;
    case RecordStatus::NotANumber:
        return Damage::NotANumber;
    case RecordStatus::OutOfRange:
        return Damage::OutOfRange;
    case RecordStatus::NoCodePage:
        return Damage::NoCodePage;
    case RecordStatus::Ok:
    case RecordStatus::WrongModel:
        break;
    }
    return Damage::None;
}

RecordProblem rule_problem(const RuleFinding &finding)
{
    RecordProblem problem;
    problem.kind = finding.rule == AssignmentRule::OwnOutput ? RecordProblem::Kind::OwnOutput
                                                             : RecordProblem::Kind::OtherOutput;
    problem.slot = finding.slot;
    problem.point = finding.input;
    if (problem.kind == RecordProblem::Kind::OtherOutput)
        problem.outputs = finding.outputs;
    return problem;
}

} // namespace

QList<RecordProblem> incomplete_problems(const Panel &panel)
{
    QList<RecordProblem> problems;
    for (const IncompleteSide &side : incomplete_sides(panel)) {
        RecordProblem problem;
        problem.kind = side.output ? RecordProblem::Kind::IncompleteOutput
                                   : RecordProblem::Kind::IncompleteInput;
        problem.slot = side.slot;
        problem.output = side.output;
        problem.module_missing = side.module_missing;
        problem.channel_missing = side.channel_missing;
        problems.append(problem);
    }
    return problems;
}

bool RecordCheck::opens() const
{
    return std::none_of(problems.begin(), problems.end(), [](const RecordProblem &problem) {
        return problem.kind == RecordProblem::Kind::Damaged ||
               problem.kind == RecordProblem::Kind::OtherModel;
    });
}

RecordCheck check_record(QByteArrayView bytes, bool truncated)
{
    RecordCheck check;
    int field = 0;
    const RecordStatus status = read_config_record(bytes, check.record, &field);
    if (status == RecordStatus::WrongModel) {
        RecordProblem problem;
        problem.kind = RecordProblem::Kind::OtherModel;
        problem.model = check.record.model;
        check.problems.append(problem);
        return check;
    }
    if (status != RecordStatus::Ok) {
        RecordProblem problem;
        problem.damage = damage_of(status, truncated);
        if (status == RecordStatus::NotANumber || status == RecordStatus::OutOfRange)
            problem.field = field;
        check.problems.append(problem);
        return check;
    }
    check.opened = open_record(check.record);
    if (const int list = check.opened.load.refused_list) {
        RecordProblem problem;
        problem.damage = RecordProblem::Damage::NoPosition;
        problem.slot = list_slot(list);
        problem.output = !is_input_list(list);
        const auto i = static_cast<std::size_t>(problem.slot - 1);
        problem.code = problem.output ? check.record.out[i] : check.record.in[i];
        check.problems.append(problem);
        return check;
    }
    // The boxes of the open first, then those each later edit would bring until none is left,
    // so that every rule the file breaks is named; each box undoes a choice, so this ends.
    for (CheckedPanel run = check.opened.checked; !run.findings.isEmpty();
         run = check_panel(run.panel))
        for (const RuleFinding &finding : run.findings)
            check.problems.append(rule_problem(finding));
    // The file's own gaps, not those the check made by undoing a choice.
    check.problems += incomplete_problems(check.opened.load.panel);
    return check;
}
