// Reads a weight file as the README shows: skip a "#" header line, parse with Locale.ROOT.
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.Scanner;

public class WeightFile {
  static List<double[]> read(Path file) throws Exception {
    List<double[]> rows = new ArrayList<>();
    for (String line : Files.readAllLines(file)) {
      if (line.isBlank() || line.startsWith("#")) continue;
      Scanner values = new Scanner(line).useLocale(Locale.ROOT);
      List<Double> row = new ArrayList<>();
      while (values.hasNextDouble()) row.add(values.nextDouble());
      rows.add(row.stream().mapToDouble(Double::doubleValue).toArray());
    }
    return rows;
  }

  public static void main(String[] args) throws Exception {
    List<double[]> rows = read(Path.of(args[0]));
    double worst = 0;
    for (double[] row : rows) {
      double sum = 0;
      for (double v : row) sum += v;
      worst = Math.max(worst, Math.abs(sum - 1));
    }
    System.out.println(rows.size() + " " + rows.get(0).length + " " + worst);
  }
}
