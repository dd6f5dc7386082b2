#include "demo/ReadoutRecord.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>

ReadoutRecord::ReadoutRecord(std::unique_ptr<std::ostream> out, std::string name, bool withHeader)
    : m_out(std::move(out)), m_name(std::move(name))
{
    if (!withHeader)
        return;
    *m_out << "time_s,law,count,width,temperature,mass,c,E,sigma,sigma_over_E";
    for (int k = 0; k < histogramBins; ++k)
        *m_out << ",bin" << k;
    *m_out << '\n';
    checkWritten();
}

void ReadoutRecord::write(double sinceStartMs, const GasSettings& settings, const HistogramPanel& panel,
                          const GasModel& gas)
{
    if (!m_out)
        return;
    std::ostream& out = *m_out;
    out << std::fixed << std::setprecision(3) << sinceStartMs / 1000.0 << ',' << lawName(settings.law) << ','
        << settings.count << ',' << settings.width << ',' << settings.temperature << ',' << settings.mass << ','
        << settings.C << ',' << panel.meanText.getString().toAnsiString() << ','
        << panel.sigmaText.getString().toAnsiString() << ',' << panel.ratioText.getString().toAnsiString();
    // Whole counts: in default formatting a total past a million would lose digits.
    for (double total : gas.core().binTotals())
        out << ',' << static_cast<long long>(std::llround(total));
    out << '\n';
    checkWritten();
}

void ReadoutRecord::checkWritten()
{
    m_out->flush();
    if (*m_out)
        return;
    std::cerr << "velorin: writing " << m_name << " failed; recording stopped.\n";
    m_out.reset();
}

ReadoutRecord openReadoutRecord(const std::string& path, std::ostream& err)
{
    // Appended, never truncated: a second run with the same name must not
    // destroy the first lecture's numbers. The header goes into an empty file only.
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::app);
    if (!*file)
    {
        err << "velorin: cannot open " << path << " for recording (" << std::strerror(errno)
            << "); running without recording.\n";
        return ReadoutRecord();
    }
    file->seekp(0, std::ios::end);
    const bool empty = file->tellp() == std::streampos(0);
    return ReadoutRecord(std::move(file), path, empty);
}
