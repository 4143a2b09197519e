// Point codes, loop bytes and gathering, without any window.

#include "gathering.h"
#include "loop_bytes.h"
#include "point_code.h"
#include "slot_lists.h"
#include "slot_loading.h"

#include <QTest>

class TestModel : public QObject
{
    Q_OBJECT

private:
    // Every slot "N/A", every other list without a selection: the window as it starts.
    static ListPositions start_up_positions()
    {
        ListPositions p;
        p.fill(NO_SELECTION);
        for (int k = 1; k <= SLOT_COUNT; ++k)
            p[static_cast<std::size_t>(input_module_list(k) - 1)] = NA_POSITION;
        return p;
    }
    static void select(ListPositions &p, int list, int position)
    {
        p[static_cast<std::size_t>(list - 1)] = static_cast<qint16>(position);
    }
    // A complete slot: input module/channel and output module/channel positions.
    static void fill_slot(ListPositions &p, int k, int in_module, int in_channel, int out_module,
                          int out_channel)
    {
        select(p, input_module_list(k), in_module);
        select(p, input_channel_list(k), in_channel);
        select(p, output_module_list(k), out_module);
        select(p, output_channel_list(k), out_channel);
    }

private slots:
    void decode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("m_index");
        QTest::addColumn<int>("c_index");
        QTest::addColumn<int>("a_after");
        QTest::newRow("A/1 is a point, not nothing") << 0 << 1 << 0 << 0;
        QTest::newRow("A/10") << 9 << 1 << 9 << 9;
        QTest::newRow("B/1") << 10 << 2 << 0 << 0;
        QTest::newRow("F/8") << 57 << 6 << 7 << 7;
        QTest::newRow("P/10") << 159 << 16 << 9 << 9;
        QTest::newRow("not assigned") << 160 << 0 << -1 << 160;
        QTest::newRow("above 160") << 161 << 0 << -1 << 161;
        QTest::newRow("255") << 255 << 0 << -1 << 255;
        QTest::newRow("-1 leaves the channel empty") << -1 << 1 << -1 << -1;
        QTest::newRow("-5 matches no channel") << -5 << 1 << -5 << -5;
    }
    void decode()
    {
        QFETCH(int, code);
        qint16 A = static_cast<qint16>(code);
        qint16 m_index = 99;
        qint16 c_index = 99;
        decode_point_code(A, m_index, c_index);
        QTEST(int(m_index), "m_index");
        QTEST(int(c_index), "c_index");
        QTEST(int(A), "a_after");
    }

    void loop_bytes_data()
    {
        QTest::addColumn<QList<int>>("pressed_inputs");
        QTest::addColumn<QList<int>>("pressed_outputs");
        QTest::addColumn<QList<int>>("bytes");
        QTest::newRow("all released") << QList<int>{} << QList<int>{} << QList<int>{0, 0, 0, 0};
        QTest::newRow("all pressed") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
                                     << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
                                     << QList<int>{255, 3, 255, 3};
        QTest::newRow("IN-1, IN-3, IN-8") << QList<int>{1, 3, 8} << QList<int>{}
                                          << QList<int>{133, 0, 0, 0};
        QTest::newRow("IN-10 alone") << QList<int>{10} << QList<int>{} << QList<int>{0, 2, 0, 0};
        QTest::newRow("OUT-9 and OUT-10") << QList<int>{} << QList<int>{9, 10}
                                          << QList<int>{0, 0, 0, 3};
    }
    void loop_bytes()
    {
        QFETCH(QList<int>, pressed_inputs);
        QFETCH(QList<int>, pressed_outputs);
        QFETCH(QList<int>, bytes);
        ConverterConfig::Slots inl{};
        ConverterConfig::Slots outl{};
        for (int k : pressed_inputs)
            inl[static_cast<std::size_t>(k - 1)] = loop_bit_value(k);
        for (int k : pressed_outputs)
            outl[static_cast<std::size_t>(k - 1)] = loop_bit_value(k);
        const LoopBytes packed = pack_loop_bytes(inl, outl);
        QCOMPARE((QList<int>{packed.inllsb, packed.inlmsb, packed.outllsb, packed.outlmsb}), bytes);
        // Unpacking gives back exactly the pressed slots, and the flags they were packed from.
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            QCOMPARE(loop_bit_set(packed.inllsb, packed.inlmsb, k), pressed_inputs.contains(k));
            QCOMPARE(loop_bit_set(packed.outllsb, packed.outlmsb, k), pressed_outputs.contains(k));
        }
        QCOMPARE(unpack_loop_flags(packed.inllsb, packed.inlmsb), inl);
        QCOMPARE(unpack_loop_flags(packed.outllsb, packed.outlmsb), outl);
    }

    // Bits that belong to no slot are dropped, bits above the byte too.
    void unpack_ignores_foreign_bits()
    {
        QCOMPARE(unpack_loop_flags(0, 252), ConverterConfig::Slots{});
        QCOMPARE(unpack_loop_flags(256 + 4, 255),
                 (ConverterConfig::Slots{0, 0, 4, 0, 0, 0, 0, 0, 1, 2}));
    }

    // Where a load leaves the four lists of slot 3 for its two codes, and which list refuses.
    void load_positions_data()
    {
        QTest::addColumn<int>("in_code");
        QTest::addColumn<int>("out_code");
        QTest::addColumn<QList<int>>("positions"); // input module, channel, output module, channel
        QTest::addColumn<int>("refused_list");
        QTest::newRow("A/1 to A/1") << 0 << 0 << QList<int>{1, 0, 0, 0} << 0;
        QTest::newRow("F/8 to P/10") << 57 << 159 << QList<int>{6, 7, 15, 9} << 0;
        QTest::newRow("N/A keeps the output it was given")
            << 160 << 57 << QList<int>{0, -1, 5, 7} << 0;
        QTest::newRow("output not assigned") << 12 << 200 << QList<int>{2, 2, -1, -1} << 0;
        QTest::newRow("-1: module A, no channel") << -1 << -1 << QList<int>{1, -1, 0, -1} << 0;
        QTest::newRow("input -2 refused")
            << -2 << 0 << QList<int>{1, -1, 0, 0} << input_channel_list(3);
        QTest::newRow("output -12 refused")
            << 0 << -12 << QList<int>{1, 0, 0, -1} << output_channel_list(3);
    }
    void load_positions()
    {
        QFETCH(int, in_code);
        QFETCH(int, out_code);
        QFETCH(QList<int>, positions);
        ConverterConfig::Slots in;
        ConverterConfig::Slots out;
        in.fill(NOT_ASSIGNED);
        out.fill(NOT_ASSIGNED);
        in[2] = static_cast<qint16>(in_code);
        out[2] = static_cast<qint16>(out_code);
        const SlotLoad load = load_slot_positions(in, out);
        const auto at = [&](int list) { return int(load.positions[std::size_t(list - 1)]); };
        QCOMPARE((QList<int>{at(input_module_list(3)), at(input_channel_list(3)),
                             at(output_module_list(3)), at(output_channel_list(3))}),
                 positions);
        QTEST(load.refused_list, "refused_list");
        // The other slots are switched off and show nothing else.
        QCOMPARE(at(input_module_list(4)), int(NA_POSITION));
        QCOMPARE(at(output_channel_list(10)), int(NO_SELECTION));
    }

    void gather_all_not_assigned()
    {
        ConverterConfig config;
        gather_point_codes(start_up_positions(), config);
        QCOMPARE(config.error_flag, qint16(0));
        for (int i = 0; i < SLOT_COUNT; ++i) {
            QCOMPARE(config.inw[static_cast<std::size_t>(i)], NOT_ASSIGNED);
            QCOMPARE(config.outw[static_cast<std::size_t>(i)], NOT_ASSIGNED);
        }
    }

    void gather_stops_at_first_gap_data()
    {
        QTest::addColumn<int>("gap_list");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("updated_inputs");
        QTest::addColumn<int>("updated_outputs");
        QTest::newRow("complete") << 0 << 0 << 10 << 10;
        QTest::newRow("IN-2 without channel") << input_channel_list(2) << 1 << 1 << 0;
        QTest::newRow("OUT-4 without channel") << output_channel_list(4) << 2 << 10 << 3;
        QTest::newRow("OUT-7 without module") << output_module_list(7) << 2 << 10 << 6;
    }
    void gather_stops_at_first_gap()
    {
        QFETCH(int, gap_list);
        QFETCH(int, updated_inputs);
        QFETCH(int, updated_outputs);
        ListPositions p = start_up_positions();
        for (int k = 1; k <= SLOT_COUNT; ++k)
            fill_slot(p, k, k, k - 1, k - 1, 9 - (k - 1)); // every slot complete
        if (gap_list)
            select(p, gap_list, NO_SELECTION);

        ConverterConfig config;
        config.inw.fill(-7); // recognisable "previous" values
        config.outw.fill(-7);
        gather_point_codes(p, config);
        QTEST(int(config.error_flag), "error");
        // IN-k is module k-1, channel k-1; OUT-k the same module, channel 10-k.
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            const auto i = static_cast<std::size_t>(k - 1);
            QCOMPARE(int(config.inw[i]), k <= updated_inputs ? 11 * (k - 1) : -7);
            QCOMPARE(int(config.outw[i]), k <= updated_outputs ? 9 * (k - 1) + 9 : -7);
        }
    }

    void gather_inputs_win_over_outputs()
    {
        ListPositions p = start_up_positions();
        select(p, input_module_list(5), 1); // IN-5 assigned, nothing else chosen
        ConverterConfig config;
        gather_point_codes(p, config);
        QCOMPARE(config.error_flag, qint16(1));
    }

    void gather_ignores_outputs_of_unassigned_slots()
    {
        ListPositions p = start_up_positions();
        select(p, output_module_list(6), 3);
        select(p, output_channel_list(6), 3);
        ConverterConfig config;
        gather_point_codes(p, config);
        QCOMPARE(config.error_flag, qint16(0));
        QCOMPARE(config.outw[5], NOT_ASSIGNED);
    }
};

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
