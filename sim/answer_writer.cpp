#include "sim/answer_writer.h"

void AnswerWriter::Line(std::string_view text) {
    if (!faults.noise) {
        out.append(text);
    } else {
        // Noise is line feeds only, before and inside the text: the host drops them wherever
        // they occur, whereas any other stray byte would change what the line says.
        const size_t middle = text.size() / 2;
        out.append("\n\n");
        out.append(text.substr(0, middle));
        out.push_back('\n');
        out.append(text.substr(middle));
    }
    out.push_back('\r');
    if (faults.lfAfterCr) {
        out.push_back('\n');
    }
}
