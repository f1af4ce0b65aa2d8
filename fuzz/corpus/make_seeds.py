#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/TARGET/.

The targets read their input through FuzzedDataProvider: numbers and
booleans come from the end of the input, one byte each here, and a
"random length string" from the front, ending at a backslash followed by
any other character. Run from anywhere; the files are committed.
"""
import os

here = os.path.dirname(os.path.abspath(__file__))


def text(s):
    """A FuzzedDataProvider random-length string: backslashes doubled, then
    the terminator."""
    return s.replace("\\", "\\\\").encode("latin-1") + b"\\x"


def tail(*values):
    """Bytes consumed from the end: the first value is taken first."""
    return bytes(reversed(values))


def write(target, name, data):
    folder = os.path.join(here, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def image(values):
    return ",".join(str(v) for v in values)


# csv_reader_fuzzer: order (byte % 6 - 1), order2 (byte % 4), CR at the end
# (byte & 1), then the sentence text, then the image text.
def csv(name, sentences, images, order=3, order2=1, final_return=0):
    write("csv_reader_fuzzer", name,
          text(sentences) + images.encode("latin-1") +
          tail(order + 1, order2, final_return))


csv("plain", "1,3,6,7,11\n2,4,5\n", "0,1,2,3\n4,5,6\n")
csv("crlf", "1,3,6,7,11\r\n2,4,5\r\n", "0,1,2,3\r\n4,5,6\r\n")
csv("wildcard", "1,2,3\n4,-1,6\n-1,7,8\n", "1\n2\n3\n")
csv("atoi_rules", " 4,,5, 6\nx,7,8\n3abc,-2,+8,2.7\n99999999999,-99999999999,1\n",
    "1\n2\n3\n4\n")
csv("image_faults", "1,2\n3,4\n5,6\n7,8\n",
    "\n214748,1\n-1,3\n99999999999\n", order=2, order2=2)
csv("missing_images", "1,2,3\n4,5,6\n7,8,9\n", "1\n")
csv("short_sentences", "5,6\n5,6,7\n\n,,,\n1,2,3,4\n", "1\n2\n3\n4\n5\n")
csv("order_zero", "1\n", "5\n", order=0, order2=0)
csv("empty", "", "")
csv("no_final_newline", "1,2,3\n4,5,6", "7\n8", final_return=1)
csv("many_lines", "1,2\n" * 200, "3,4\n" * 199)


# run_script_fuzzer: CR at the end (byte & 1), the script, then arguments:
# a byte (% 17) picks an option by its index in OPTIONS, or (8 or more) a
# string from the front.
OPTIONS = ["--seed", "--help", "--threads", "--literal", "--save-model",
           "--load-model", "--quiet", "-h"]


def script(name, lines, arguments=(), final_return=0):
    head = text("\n".join(lines) + "\n")
    picks = []
    for argument in arguments:
        if argument in OPTIONS:
            picks.append(OPTIONS.index(argument))
        else:
            picks.append(8)
            head += text(argument)
    write("run_script_fuzzer", name, head + tail(final_return, *picks))


readme = ["1 image to text", "3 sentence words per hyperedge",
          "6 image values per hyperedge", "3 epochs",
          "0.5 weight-update parameter", "30 hyperedges per pair",
          "sentences.csv", "images.csv", "fragments.txt",
          "generated_images.txt"]
script("readme", readme, ["--seed", "42"])
script("crlf", [l + "\r" for l in readme], ["--help"], final_return=1)
script("negative_counts", ["1", "2", "1", "-1", "0.5", "-1", "s", "i", "o", "p"],
       ["--seed", "4294967296"])
script("non_finite", ["0", "2", "1", "2", "inf", "4", "s", "i", "o", "p"],
       ["--seed", "x1", "--bogus"])
script("nan_and_blanks", ["", "  \t 3 words", "", "2", "nan", "\v30", "a"],
       ["-h", "--seed"])
script("short", ["1", "3"], ["--seed", "0007"])
script("orders", ["1", "-1", "4801", "2", "0.5", "4", "s", "i", "o", "p"],
       ["--seed", "1"])
script("order_caps", ["1", "60000", "4800", "2", "0.5", "4", "s", "i", "o"],
       ["--quiet"])
script("model_options", readme, ["--save-model", "m.model", "--threads", "2",
                                 "--quiet", "--literal"])
script("both_models", readme, ["--load-model", "m", "--save-model", "n",
                               "--threads", "1025"])


# assembler_fuzzer, from the end: value count (byte % 6 + 1), four bytes
# per value, the weight kind (byte % 6: 0 inf, 1 -inf, 2 nan, else a
# floating point number from the following bytes), CR at the end (byte & 1),
# the whole first fragment as the seed (byte & 1), the number of arguments
# (byte % 4) and each argument (byte % 11, an index into ARGUMENTS); the
# front is the learner's text output.
ARGUMENTS = ["--help", "-h", "--whole-first-fragment", "--bogus", "-", "help",
             "--help=1", "", "--", "--whole-first", "--whole-first-fragment=1"]


def assembler(name, records, weight_kind=3, final_return=0, whole=0,
              arguments=()):
    values = tail(2, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0)
    picks = [ARGUMENTS.index(argument) for argument in arguments]
    write("assembler_fuzzer", name,
          records.encode("latin-1") +
          tail(final_return, whole, len(arguments), *picks) +
          tail(weight_kind) + values)


assembler("records",
          "line : 0\n{(1,2,4):4}\n{(0,1,2):0.5}\n{(5,1,2):3}\n{(2,3,4):2.5}\n"
          "{(1,2,3):2}\nline : 1\nline : 2\n{(1,30005,3):2}\n{(1,30005,2):1}\n"
          "line : 3\n{(0,5,2):1}\n{(0,5,7):1}\n{(-1,0,5):1}\nline : 4\n"
          "{(1,2,3):1}")
assembler("infinite", "line : 0\n{(1,2,3):inf}\n{(2,3,4):2}\n"
          "{(3,4,5):nan}\n{(4,5,6):1e999}\n", weight_kind=0)
assembler("crlf", "line : 0\r\n{(1,2,3):9}\r\n{(2,3,4):2}\r\nline : 1\r\n",
          weight_kind=2, final_return=1, arguments=["--help", "-h"])
assembler("stray", "{(1,2):5}\nstray text\nLine : 7\n{(4,x):2}\n4 8 15:2\n"
          "{(99999999999):2}\nlemma\n{( 4 , 8 ):1}\n", weight_kind=1)
assembler("empty", "", arguments=["--bogus"])
assembler("chains", "line : 0\n{(1,2):3}\n{(2,3):2}\n{(3,4):1}\nline : 1\n"
          "{(1,2,3):2}\n{(2,3,4):1}\n", whole=1,
          arguments=["--whole-first-fragment", "-h"])
