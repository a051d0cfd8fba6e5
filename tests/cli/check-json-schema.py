#!/usr/bin/env python3
"""Checks velmora's JSON documents against docs/velmora.schema.json.

    check-json-schema.py SCHEMA DIR

Every DIR/NNN-<definition>.json is validated against the schema's $defs/<definition>; a
watch-event file holds one JSON object a line, each validated alone. One line is printed for each
document that is not valid, and the exit status is 1 when any is not, when a file's name names no
definition, or when DIR holds no document at all (a run that wrote nothing proves nothing).
Needs jsonschema 4.10 or later (Debian's python3-jsonschema).
"""
import json
import os
import re
import sys

try:
    from jsonschema import Draft202012Validator
    from jsonschema.exceptions import SchemaError, relevance
except ImportError:
    # python3 on PATH may be another interpreter (pyenv, a venv) than the one Debian's package is for.
    system = "/usr/bin/python3"
    if os.path.exists(system) and os.path.realpath(sys.executable) != os.path.realpath(system):
        os.execv(system, [system] + sys.argv)
    sys.exit("check-json-schema.py: no jsonschema module: install python3-jsonschema (tools/setup.sh)")

NAME = re.compile(r"^[0-9]+-([a-z0-9-]+)\.json$")
LINES = {"watch-event"}  # definitions whose files hold one document a line


def reject_constant(name):
    raise ValueError(name + " is not JSON")


def unique_keys(pairs):
    keys = [key for key, _ in pairs]
    twice = sorted({key for key in keys if keys.count(key) > 1})
    if twice:
        raise ValueError("key given twice: " + ", ".join(twice))
    return dict(pairs)


def parse(text):
    return json.loads(text, object_pairs_hook=unique_keys, parse_constant=reject_constant)


def most_relevant(errors):
    # As best_match picks, but without its descent into anyOf, which describe does branch by branch.
    return max(errors, key=relevance, default=None)


def branch_name(schema, index):
    if "$ref" in schema:
        return schema["$ref"].rsplit("/", 1)[-1]
    if "type" in schema:
        return str(schema["type"])
    return "enum" if "enum" in schema else f"choice {index + 1}"


def describe(error):
    """The validator's message; for anyOf, why each choice does not fit, without the whole instance."""
    if error.validator == "not" and error.validator_value == {}:
        return "not allowed here (this kind of document never has it)"
    if error.validator not in ("anyOf", "oneOf") or not error.context:
        return error.message
    branches = {}
    for sub in error.context:
        branches.setdefault(sub.relative_schema_path[0], []).append(sub)
    # The choices the instance went furthest into first: a failure object with a bad field before the
    # value kinds it is not.
    order = sorted(branches.items(), key=lambda item: (-max(len(sub.path) for sub in item[1]), item[0]))
    reasons = [f"{branch_name(error.validator_value[index], index)}: {describe(most_relevant(subs))}"
               for index, subs in order]
    return "fits none of " + "; ".join(reasons)


def one_line(text, limit=400):
    text = " ".join(str(text).split())
    return text if len(text) <= limit else text[: limit - 3] + "..."


def references(node):
    if isinstance(node, dict):
        for key, value in node.items():
            if key == "$ref" and isinstance(value, str):
                yield value
            else:
                yield from references(value)
    elif isinstance(node, list):
        for value in node:
            yield from references(value)


def schema_problems(schema):
    try:
        Draft202012Validator.check_schema(schema)
    except SchemaError as error:
        return [f"not a valid draft 2020-12 schema: {one_line(error.message)}"]
    definitions = schema.get("$defs", {})
    return [f"$ref {ref} names no definition" for ref in sorted(set(references(schema)))
            if not (ref.startswith("#/$defs/") and ref[len("#/$defs/"):] in definitions)]


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: check-json-schema.py SCHEMA DIR")
    schema_path, directory = argv[1], argv[2]
    try:
        with open(schema_path, encoding="utf-8") as file:
            schema = json.load(file)
    except (OSError, ValueError) as error:
        print(f"{schema_path}: cannot be read: {one_line(error)}")
        return 1
    problems = schema_problems(schema)
    for problem in problems:
        print(f"{schema_path}: {problem}")
    if problems:
        return 1
    definitions = schema.get("$defs", {})
    validators = {}

    def validator(definition):
        if definition not in validators:
            # The definition as the root, its references resolved within the same $defs.
            root = {"$schema": schema["$schema"], "$defs": definitions, "$ref": "#/$defs/" + definition}
            validators[definition] = Draft202012Validator(root)
        return validators[definition]

    if not os.path.isdir(directory):
        print(f"{directory}: no such directory: no documents were written")
        return 1
    names = sorted(name for name in os.listdir(directory) if name.endswith(".json"))
    if not names:
        print(f"{directory}: no documents: the run that writes them wrote none")
        return 1

    invalid = 0  # documents
    unusable = 0  # files
    counts = {}
    for name in names:
        path = os.path.join(directory, name)
        match = NAME.match(name)
        if not match or match.group(1) not in definitions:
            print(f"{name}: not named NNN-<definition>.json after one of the schema's $defs")
            unusable += 1
            continue
        definition = match.group(1)
        try:
            with open(path, encoding="utf-8") as file:
                text = file.read()
        except (OSError, UnicodeDecodeError) as error:
            print(f"{name}: cannot be read as UTF-8: {one_line(error)}")
            unusable += 1
            continue
        if definition in LINES:
            documents = [(f"{name}:{number}", line) for number, line in enumerate(text.splitlines(), 1) if line.strip()]
        else:
            documents = [(name, text)] if text.strip() else []
        if not documents:
            print(f"{name}: empty")
            unusable += 1
            continue
        for where, document in documents:
            counts[definition] = counts.get(definition, 0) + 1
            try:
                instance = parse(document)
            except ValueError as error:
                print(f"{where}: not JSON: {one_line(error)}")
                invalid += 1
                continue
            error = most_relevant(validator(definition).iter_errors(instance))
            if error is not None:
                at = "".join(f"/{part}" for part in error.absolute_path) or "/"
                print(f"{where}: {at}: {one_line(describe(error))}")
                invalid += 1

    total = sum(counts.values())
    summary = ", ".join(f"{definition} {count}" for definition, count in sorted(counts.items()))
    print(f"{total - invalid} of {total} documents valid against {os.path.basename(schema_path)} ({summary})"
          + (f"; {unusable} files unusable" if unusable else ""))
    return 1 if invalid or unusable else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
